// zrm-server: serves the application server; init-db, migrate and backup
// look after its database, user its accounts. `zrm-server --help` lists the
// options.
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "apps/options/common_options.h"
#include "apps/options/security_options.h"
#include "apps/options/server_options.h"
#include "db/backup.h"
#include "db/connection.h"
#include "db/init_db.h"
#include "db/schema_version.h"
#include "server/app_server.h"
#include "server/demo_users.h"
#include "server/listen_policy.h"
#include "server/user_commands.h"

namespace {

int InitDb(const zrmopt::ServerOptions& options, const std::string& connect) {
    db::InitDatabase(connect, {options.demo, options.notes});
    if (options.demo)
        server::AddDemoUsers(connect, std::cout);
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

int Users(const zrmopt::UserOptions& options, const std::string& connect) {
    static constexpr server::UserVerb kVerbs[] = {server::UserVerb::List, server::UserVerb::Add,
                                                  server::UserVerb::Passwd, server::UserVerb::Disable,
                                                  server::UserVerb::List};
    server::UserCommand command;
    command.verb = kVerbs[static_cast<int>(options.verb)];
    command.connect = connect;
    command.user = options.name;
    command.branch = options.branch;
    command.name = options.fullName;
    command.mayGenerate = !options.noGenerate;
    return server::RunUserCommand(command, std::cin, std::cout, std::cerr);
}

int Serve(const zrmopt::ServerOptions& options, const zrmopt::SecurityOptions& security,
          const std::string& connect) {
    const bool tls = !security.tlsCert.empty() || !security.tlsKey.empty();
    const server::ListenCheck check = server::CheckListen(options.Host(), tls, security.insecure);
    if (!check.allowed) {
        std::fprintf(stderr, "zrm-server: %s\n", check.message.c_str());
        return 2;
    }
    if (!check.message.empty())
        std::fprintf(stderr, "zrm-server: %s\n", check.message.c_str());
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

    server::AppServerOptions serverOptions;
    serverOptions.threads = options.threads;
    serverOptions.quiet = options.quiet;
    serverOptions.tlsCert = security.tlsCert;
    serverOptions.tlsKey = security.tlsKey;
    serverOptions.callTimeout = std::chrono::seconds(options.callTimeout);
    serverOptions.limits.maxBodyBytes = static_cast<std::size_t>(options.maxBody);
    serverOptions.limits.maxHeaderBytes = static_cast<std::size_t>(options.maxHeader);
    serverOptions.limits.headerTimeout = std::chrono::seconds(options.headerTimeout);
    serverOptions.limits.idleTimeout = std::chrono::seconds(options.idleTimeout);
    serverOptions.limits.maxConnections = static_cast<std::size_t>(options.maxConnections);
    server::AppServer app(connect, serverOptions);
    const int port = app.Start(options.Host(), options.Port());
    std::fprintf(stderr, "zrm-server: serving %s on %s://%s:%d\n", db::MaskPassword(connect).c_str(),
                 tls ? "https" : "http", options.Host().c_str(), port);
    int received = 0;
    sigwait(&stopSignals, &received);
    std::fprintf(stderr, "zrm-server: stopping\n");
    app.Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A peer that closes a TLS connection while it is written to must fail
    // that write, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    // Before any connection opens; every session is used by one call at a time.
    db::UseEachSqliteConnectionFromOneThread();
    CLI::App app("", "zrm-server");
    zrmopt::ServerOptions options;
    zrmopt::DeclareServerOptions(app, options);
    zrmopt::SecurityOptions security;
    zrmopt::DeclareSecurityOptions(app, security);
    zrmopt::UserOptions users;
    zrmopt::DeclareUserCommands(app, users);
    const zrmopt::Parsed parsed = zrmopt::Parse(app, std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.run) {
        zrmopt::Print(parsed);
        return parsed.exitCode;
    }
    try {
        const std::string connect = zrmopt::ConnectWithPassword(options.db, options.passwordFile);
        if (users.verb != zrmopt::UserVerb::None)
            return Users(users, connect);
        switch (options.command) {
            case zrmopt::ServerCommand::InitDb:
                return InitDb(options, connect);
            case zrmopt::ServerCommand::Migrate:
                return Migrate(connect);
            case zrmopt::ServerCommand::Backup:
                return Backup(options, connect);
            case zrmopt::ServerCommand::Serve:
                return Serve(options, security, connect);
        }
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zrm-server: %s\n", db::MaskPassword(e.what()).c_str());
        return 1;
    }
}
