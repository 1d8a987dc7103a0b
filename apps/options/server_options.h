// zrm-server's command line: serving, and the init-db, migrate and backup
// commands. Every option can also come from the configuration file under
// the same name (password_file for --password-file).
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace zrmopt {

enum class ServerCommand { Serve, InitDb, Migrate, Backup };

struct ServerOptions {
    ServerCommand command = ServerCommand::Serve;
    std::string db;            // connection text; required
    std::string passwordFile;  // the database password, first line
    std::string listen = "127.0.0.1:8211";
    int threads = 8;
    bool quiet = false;
    // Limits at the HTTP edge, and each call's deadline.
    long long maxBody = 64LL << 20;  // bytes
    int maxHeader = 16 << 10;        // bytes
    int headerTimeout = 10;          // seconds
    int idleTimeout = 5;             // seconds
    int maxConnections = 256;
    int callTimeout = 30;  // seconds
    bool demo = false;     // init-db
    int notes = 300;       // init-db
    std::string backupTo;  // backup

    std::string Host() const;  // of `listen`
    int Port() const;
};

// Declares the options on `app`, filling `options` when it is parsed. More
// options (security, accounts) are declared beside these by their own
// functions on the same `app`.
void DeclareServerOptions(CLI::App& app, ServerOptions& options);

}  // namespace zrmopt
