// The world a scenario file runs in: a fresh database in a temporary folder,
// the application server over it (the real one, or a fake that answers from
// queued replies) with every call recorded, and the host the module runs in
// (screen, application, scripted services, configuration, database module).
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "vcl/forms.h"
#include "vcl/variant.h"
#include "vlm/host.h"
#include "vlm/scripted_services.h"

namespace soci {
class session;
}

namespace scenario {

struct RecordedCall {
    std::string server;
    std::string method;
    vcl::VariantArray args;
};

class World {
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Setup; each throws std::logic_error once what it configures has started.
    void ChooseDatabase(bool demo);
    void ChooseServer(bool fake);
    // Queues the fake server's next answer to METHOD (the whole result).
    void QueueReply(const std::string& method, vcl::Variant result);
    void SetFilial(std::string code);

    // The database, created (schema, and demo data unless `db empty`) on first use.
    soci::session& Database();
    // Runs one statement on the database.
    void ExecuteSql(const std::string& statement);
    // The first column of the first row as text ("null" for Null, dates
    // dd/mm/yyyy); nullopt when the query gives no row.
    std::optional<std::string> QueryFirst(const std::string& select);
    // Starts the server on a free loopback port and points the host at it.
    void StartServer();
    bool ServerStarted() const;

    vcl::TScreen& Screen() { return screen_; }
    vcl::TApplication& Application() { return *application_; }
    vlm::ScriptedServices& Services() { return services_; }
    vlm::THost& Host() { return *host_; }

    // Loads the package against this host (once); later calls do nothing.
    void InitializePackage();
    // Unloads the package (its screen and dialog go with it); the destructor
    // does it too, but failures are only reported from here.
    void FinalizePackage();

    // Calls made to the server so far, oldest first.
    std::vector<RecordedCall> Calls() const;

private:
    struct Server;
    void Record(RecordedCall call);

    std::string folder_;
    std::string connect_;
    bool demo_ = true;
    bool fake_ = false;
    std::unique_ptr<soci::session> database_;
    std::vector<std::pair<std::string, vcl::Variant>> pendingReplies_;
    std::unique_ptr<Server> server_;

    mutable std::mutex callsMutex_;
    std::vector<RecordedCall> calls_;

    vcl::TScreen screen_;
    vlm::ScriptedServices services_;
    std::unique_ptr<vlm::TdtmDBGeral> dtmDBGeral_;
    std::unique_ptr<vcl::TApplication> application_;
    std::unique_ptr<vlm::THost> host_;
    bool packageLoaded_ = false;
};

}  // namespace scenario
