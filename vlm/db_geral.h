// The host's shared database module: one SOCI session over a connection
// text ("sqlite3://db=PATH", "postgresql://host=... dbname=...").
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vcl/data_packet.h"

namespace soci {
class session;
}

namespace vlm {

// A named parameter of a lookup; nullopt is Null.
struct TLookupParam {
    std::string name;
    std::optional<std::string> value;
};

// Runs a lookup statement elsewhere (the application server) and returns
// its rows. Raises vcl::Exception with the reason when it cannot.
using TRemoteLookup =
    std::function<vcl::DataPacket(const std::string& sql, const std::vector<TLookupParam>& params)>;

// Direct mode: a SOCI session of the desktop's own. Remote mode: no
// database account at all; the queries go to the application server.
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

    // Switches to remote mode: queries run through `lookup`; no session.
    void SetRemote(TRemoteLookup lookup);
    bool Remote() const { return static_cast<bool>(remote_); }
    vcl::DataPacket RunRemote(const std::string& sql, const std::vector<TLookupParam>& params) const;

private:
    std::string connectString_;
    std::unique_ptr<soci::session> session_;
    TRemoteLookup remote_;
};

}  // namespace vlm
