// What every program's command line shares: --help, --version, --config
// FILE read as TOML with the command line winning, and the database
// password kept out of argv.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace zrmopt {

// /etc/zrm/zrm-server.toml
std::string DefaultServerConfig();
// $XDG_CONFIG_HOME/zrm/zrm-host.toml, else ~/.config/zrm/zrm-host.toml.
std::string DefaultHostConfig();

// --version, and with a non-empty `defaultConfig` the --config option read
// with the TOML reader (a default file that does not exist is skipped; one
// named on the command line must exist). Unknown keys are errors.
void AddCommonOptions(CLI::App& app, const std::string& defaultConfig);

// What the program does after reading its command line.
struct Parsed {
    bool run = false;    // go on; otherwise exit with exitCode
    int exitCode = 0;    // 0 after --help or --version, 2 for a wrong line
    std::string output;  // help, version, or the error with a hint
};

// Parses `args` (without the program name), turning CLI11's errors and its
// help and version answers into a Parsed.
Parsed Parse(CLI::App& app, const std::vector<std::string>& args);

// Prints `parsed.output` (stdout after help or version, stderr otherwise).
void Print(const Parsed& parsed);

// The connection text with the database password added, for PostgreSQL:
// read from the first line of `passwordFile` when one is named, else from
// ZRM_DB_PASSWORD. A text that carries a password keeps it; SQLite texts
// are returned unchanged. std::runtime_error when the file cannot be read.
std::string ConnectWithPassword(const std::string& connect, const std::string& passwordFile);

}  // namespace zrmopt
