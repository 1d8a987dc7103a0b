// zrm-host's command line. Qt's own options (-platform offscreen, -style
// ...) are set apart first and handed to Qt untouched.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace zrmopt {

struct HostOptions {
    std::string db;              // empty: the embedded default, or remote with --server
    std::string dbPasswordFile;  // the database password for --db, first line
    std::string server;          // https://HOST:PORT, http://HOST:PORT or HOST:PORT; empty: in-process
    std::string filial = "0001";
    std::string tour;  // folder for the tour's pictures; empty: no tour
    // With --server: the name the login window starts with, a file whose
    // first line is the password, the authority of the server's
    // certificate, and plain http off loopback.
    std::string user;
    std::string passwordFile;
    std::string ca;
    bool insecure = false;
};

void DeclareHostOptions(CLI::App& app, HostOptions& options);

struct SplitArguments {
    std::vector<std::string> ours;  // without the program name
    std::vector<std::string> qt;    // Qt's options with their values, in order
};

// Sets apart the options Qt reads itself, with their values.
SplitArguments SplitQtArguments(int argc, const char* const* argv);

}  // namespace zrmopt
