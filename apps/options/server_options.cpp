#include "apps/options/server_options.h"

#include "apps/options/common_options.h"

namespace zrmopt {

namespace {

// HOST:PORT with a port from 0 to 65535 (0: any free port).
std::string CheckListen(const std::string& value) {
    const auto colon = value.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == value.size() || colon + 6 < value.size() ||
        value.find_first_not_of("0123456789", colon + 1) != std::string::npos ||
        std::stoi(value.substr(colon + 1)) > 65535)
        return "takes HOST:PORT, not " + value;
    return {};
}

}  // namespace

std::string ServerOptions::Host() const {
    std::string host = listen.substr(0, listen.rfind(':'));
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return host;
}

int ServerOptions::Port() const {
    return std::stoi(listen.substr(listen.rfind(':') + 1));
}

void DeclareServerOptions(CLI::App& app, ServerOptions& options) {
    app.description(
        "The application server of \"Remessa para análise\".\n"
        "CONNECT: sqlite3://db=PATH or postgresql://host=... port=... dbname=... user=...");
    AddCommonOptions(app, DefaultServerConfig());
    app.require_subcommand(0, 1);

    app.add_option("--db", options.db, "database connection text (CONNECT)")->required();
    app.add_option("--password-file", options.passwordFile,
                   "file whose first line is the database password (else ZRM_DB_PASSWORD)");
    app.add_option("--listen", options.listen, "address to serve on, HOST:PORT")
        ->check(CLI::Validator(CheckListen, "HOST:PORT"))
        ->capture_default_str();
    app.add_option("--threads", options.threads, "workers and database sessions")
        ->check(CLI::Range(1, 256))
        ->capture_default_str();
    app.add_flag("--quiet", options.quiet, "no log line per request (errors are still logged)");
    app.add_option("--max-body", options.maxBody, "largest request body in bytes (larger: 413)")
        ->check(CLI::Range(1LL, 1LL << 40))
        ->capture_default_str();
    app.add_option("--max-header", options.maxHeader, "largest request header block in bytes (larger: 431)")
        ->check(CLI::Range(1024, 1 << 24))
        ->capture_default_str();
    app.add_option("--header-timeout", options.headerTimeout, "seconds to receive a request's headers")
        ->check(CLI::Range(1, 3600))
        ->capture_default_str();
    app.add_option("--idle-timeout", options.idleTimeout, "seconds an idle keep-alive connection stays open")
        ->check(CLI::Range(1, 3600))
        ->capture_default_str();
    app.add_option("--max-connections", options.maxConnections, "open connections (more: 503 at once)")
        ->check(CLI::Range(1, 100000))
        ->capture_default_str();
    app.add_option("--call-timeout", options.callTimeout,
                   "seconds a call may take, database waits included (keep it below the clients' --timeout)")
        ->check(CLI::Range(1, 3600))
        ->capture_default_str();

    CLI::App* initDb = app.add_subcommand("init-db", "create the latest schema (and the demo data)");
    initDb->fallthrough();
    initDb->add_flag("--demo", options.demo, "fill the new database with the deterministic demo data");
    initDb->add_option("--notes", options.notes, "received notes of the demo data")
        ->check(CLI::Range(0, 10000000))
        ->capture_default_str();
    initDb->callback([&options] { options.command = ServerCommand::InitDb; });

    CLI::App* migrate = app.add_subcommand("migrate", "bring the schema up to this version");
    migrate->fallthrough();
    migrate->callback([&options] { options.command = ServerCommand::Migrate; });

    CLI::App* backup = app.add_subcommand("backup", "copy a SQLite database while it is in use");
    backup->fallthrough();
    backup->add_option("--to", options.backupTo, "file to write the copy to")->required();
    backup->callback([&options] { options.command = ServerCommand::Backup; });
}

}  // namespace zrmopt
