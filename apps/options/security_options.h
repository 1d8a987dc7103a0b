// zrm-server's TLS options and the account commands (user add|passwd|
// disable|list), declared on the same app as the server's other options.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace zrmopt {

struct SecurityOptions {
    std::string tlsCert;  // PEM certificate chain; with tlsKey: HTTPS
    std::string tlsKey;
    bool insecure = false;  // plain http off loopback
};

void DeclareSecurityOptions(CLI::App& app, SecurityOptions& options);

enum class UserVerb { None, Add, Passwd, Disable, List };

struct UserOptions {
    UserVerb verb = UserVerb::None;  // None: no user command on the line
    std::string name;                // the user (all but list)
    std::string branch;              // add
    std::string fullName;            // add, optional
    bool noGenerate = false;         // add
};

// `user add NAME --branch CODE [--name TEXT] [--no-generate]`, `user passwd
// NAME`, `user disable NAME`, `user list`; the password comes from standard
// input, never from the command line.
void DeclareUserCommands(CLI::App& app, UserOptions& options);

}  // namespace zrmopt
