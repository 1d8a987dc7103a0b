// zrm-server: serves the application server; init-db, migrate and backup
// look after its database. `zrm-server --help` lists the options.
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "apps/options/common_options.h"
#include "apps/options/server_options.h"
#include "db/backup.h"
#include "db/connection.h"
#include "db/init_db.h"
#include "db/schema_version.h"
#include "server/app_server.h"

namespace {

int InitDb(const zrmopt::ServerOptions& options, const std::string& connect) {
    db::InitDatabase(connect, {options.demo, options.notes});
    std::fprintf(stderr, "zrm-server: database ready%s\n", options.demo ? " with demo data" : "");
    return 0;
}

int Migrate(const std::string& connect) {
    soci::session session;
    db::Open(session, connect);
    const db::Upgrade upgrade = db::UpgradeSchema(session);
    if (upgrade.from == upgrade.to)
        std::fprintf(stderr, "zrm-server: schema already at version %d\n", upgrade.to);
    else
        std::fprintf(stderr, "zrm-server: schema upgraded from version %d to %d\n", upgrade.from, upgrade.to);
    return 0;
}

int Backup(const zrmopt::ServerOptions& options, const std::string& connect) {
    db::BackupSqlite(connect, options.backupTo);
    std::fprintf(stderr, "zrm-server: database copied to %s\n", options.backupTo.c_str());
    return 0;
}

int Serve(const zrmopt::ServerOptions& options, const std::string& connect) {
    {
        soci::session session;
        db::Open(session, connect);
        db::RequireCurrentSchema(session, connect);
    }
    // Block the stop signals before any thread starts, so that every thread
    // inherits the mask and only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    server::AppServer app(connect, {options.threads, options.quiet});
    const int port = app.start(options.host(), options.port());
    std::fprintf(stderr, "zrm-server: serving %s on %s:%d\n", db::MaskPassword(connect).c_str(),
                 options.host().c_str(), port);
    int received = 0;
    sigwait(&stopSignals, &received);
    std::fprintf(stderr, "zrm-server: stopping\n");
    app.stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app("", "zrm-server");
    zrmopt::ServerOptions options;
    zrmopt::DeclareServerOptions(app, options);
    const zrmopt::Parsed parsed = zrmopt::Parse(app, std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.run) {
        zrmopt::Print(parsed);
        return parsed.exitCode;
    }
    try {
        const std::string connect = zrmopt::ConnectWithPassword(options.db, options.passwordFile);
        switch (options.command) {
            case zrmopt::ServerCommand::InitDb:
                return InitDb(options, connect);
            case zrmopt::ServerCommand::Migrate:
                return Migrate(connect);
            case zrmopt::ServerCommand::Backup:
                return Backup(options, connect);
            case zrmopt::ServerCommand::Serve:
                return Serve(options, connect);
        }
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zrm-server: %s\n", db::MaskPassword(e.what()).c_str());
        return 1;
    }
}
