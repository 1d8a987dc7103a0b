// The host's shared database module: one SOCI session over a connection
// text ("sqlite3://db=PATH", "postgresql://host=... dbname=...").
#pragma once

#include <memory>
#include <string>

namespace soci {
class session;
}

namespace vlm {

class TdtmDBGeral {
public:
    // The session opens on first use; an empty text means no database.
    explicit TdtmDBGeral(std::string connectString = {});
    ~TdtmDBGeral();
    TdtmDBGeral(const TdtmDBGeral&) = delete;
    TdtmDBGeral& operator=(const TdtmDBGeral&) = delete;

    const std::string& ConnectString() const { return connectString_; }
    // Closes any open session; the next use opens the new one.
    void SetConnectString(std::string connectString);

    bool Connected() const { return session_ != nullptr; }
    void Open();  // vcl::EDatabaseError with the reason when it cannot connect
    void Close();
    // The open session (opened now when needed).
    soci::session& Session();
    // "sqlite3" or "postgresql" (the backend of the connection text).
    std::string BackendName() const;

private:
    std::string connectString_;
    std::unique_ptr<soci::session> session_;
};

}  // namespace vlm
