#include "apps/options/host_options.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "apps/options/common_options.h"

namespace zrmopt {

namespace {

// QGuiApplication's and QApplication's options, which Qt accepts with one
// dash or two.
constexpr std::array<std::string_view, 11> kQtOptionsWithValue = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "style",           "stylesheet",         "display"};
constexpr std::array<std::string_view, 6> kQtFlags = {"reverse", "widgetcount", "nograb",
                                                      "dograb",  "sync",        "qmljsdebugger"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string CheckServer(const std::string& url) {
    std::string_view rest = url;
    for (const std::string_view scheme : {"https://", "http://"}) {
        if (rest.starts_with(scheme))
            rest.remove_prefix(scheme.size());
    }
    if (rest.ends_with('/'))
        rest.remove_suffix(1);
    const std::string value(rest);
    const auto colon = value.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == value.size() || colon + 6 < value.size() ||
        value.find_first_not_of("0123456789", colon + 1) != std::string::npos)
        return "wants https://HOST:PORT, http://HOST:PORT or HOST:PORT, not " + url;
    return {};
}

}  // namespace

void DeclareHostOptions(CLI::App& app, HostOptions& options) {
    app.description(
        "The desktop of \"Remessa para análise\". Without --server and --db it runs on var/zrm.db with the\n"
        "server in-process; with --server and no --db it needs no database account.\n"
        "Qt's own options (-platform offscreen, -style NAME, ...) are passed to Qt.");
    AddCommonOptions(app, DefaultHostConfig());
    app.add_option("--db", options.db, "database connection text (sqlite3://db=PATH or postgresql://...)");
    app.add_option("--db-password-file", options.dbPasswordFile,
                   "file whose first line is the password of --db (else ZRM_DB_PASSWORD)");
    app.add_option("--server", options.server,
                   "application server, https://HOST:PORT (plain http://HOST:PORT or HOST:PORT on loopback)")
        ->check(CLI::Validator(CheckServer, "URL"));
    app.add_option("--user", options.user, "with --server: the user name the login window starts with");
    app.add_option("--password-file", options.passwordFile,
                   "with --server: log in unattended with the first line of this file as the password");
    app.add_option("--ca", options.ca,
                   "with --server: certificate authority (PEM) of the server's certificate");
    app.add_flag("--insecure", options.insecure,
                 "with --server: allow plain http to an address off loopback");
    app.add_option("--filial", options.filial, "the branch the user works in")->capture_default_str();
    app.add_option("--tour", options.tour, "walk a whole remittance, leaving a PNG per step in DIR");
}

SplitArguments SplitQtArguments(int argc, const char* const* argv) {
    SplitArguments split;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::string_view name = argument;
        if (name.starts_with("--"))
            name.remove_prefix(2);
        else if (name.starts_with("-"))
            name.remove_prefix(1);
        else
            name = {};
        const bool hasEquals = name.find('=') != std::string_view::npos;
        name = name.substr(0, name.find('='));
        if (Contains(kQtOptionsWithValue, name)) {
            split.qt.emplace_back(argument);
            if (!hasEquals && i + 1 < argc)
                split.qt.emplace_back(argv[++i]);
        } else if (Contains(kQtFlags, name)) {
            split.qt.emplace_back(argument);
        } else {
            split.ours.emplace_back(argument);
        }
    }
    return split;
}

}  // namespace zrmopt
