// zrm-server --db CONNECT [--listen HOST:PORT] [--threads N] [--quiet]
//            [--tls-cert FILE --tls-key FILE] [--insecure]
// zrm-server init-db --db CONNECT [--demo] [--notes N]
// zrm-server user add|passwd|disable|list ...
// zrm-server migrate --db CONNECT
#include <signal.h>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "db/init_db.h"
#include "db/schema_version.h"
#include "server/app_server.h"
#include "server/demo_users.h"
#include "server/listen_policy.h"
#include "server/user_commands.h"

namespace {

constexpr const char* kUsage =
    "usage: zrm-server --db CONNECT [--listen HOST:PORT] [--threads N] [--quiet]\n"
    "                  [--tls-cert FILE --tls-key FILE] [--insecure]\n"
    "       zrm-server init-db --db CONNECT [--demo] [--notes N]\n"
    "       zrm-server user add NAME --db CONNECT --branch CODE [--name TEXT] [--no-generate]\n"
    "       zrm-server user passwd NAME --db CONNECT\n"
    "       zrm-server user disable NAME --db CONNECT\n"
    "       zrm-server user list --db CONNECT\n"
    "       (the password of user add and passwd is one line of standard input)\n"
    "       zrm-server migrate --db CONNECT\n"
    "CONNECT: sqlite3://db=PATH or postgresql://host=... port=... dbname=... user=...\n";

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

struct Options {
    bool initDb = false;
    bool migrate = false;
    std::string connect;
    std::string host = "127.0.0.1";
    int port = 8211;
    int threads = 8;
    bool quiet = false;
    bool demo = false;
    int notes = 300;
    std::string tlsCert, tlsKey;
    bool insecure = false;
    std::optional<server::UserCommand> user;
};

// "user VERB [NAME]": the verb and, but for list, the name; leaves `i` on
// the first option.
bool ParseUserVerb(const std::vector<std::string_view>& args, Options& options, std::size_t& i) {
    server::UserCommand command;
    const std::string_view verb = args.size() > 1 ? args[1] : std::string_view();
    if (verb == "add") {
        command.verb = server::UserVerb::Add;
    } else if (verb == "passwd") {
        command.verb = server::UserVerb::Passwd;
    } else if (verb == "disable") {
        command.verb = server::UserVerb::Disable;
    } else if (verb == "list") {
        command.verb = server::UserVerb::List;
    } else {
        std::fprintf(stderr, "zrm-server: user takes add, passwd, disable or list\n");
        return false;
    }
    i = 2;
    if (command.verb != server::UserVerb::List) {
        if (args.size() < 3 || args[2].starts_with("--")) {
            std::fprintf(stderr, "zrm-server: user %.*s needs the user's name\n",
                         static_cast<int>(verb.size()), verb.data());
            return false;
        }
        command.user = args[2];
        i = 3;
    }
    options.user = std::move(command);
    return true;
}

// The options of user add; true when args[i] was one of them (`i` then on
// its last word, or past the end when its value is missing).
bool ParseUserOption(const std::vector<std::string_view>& args, server::UserCommand& command,
                     std::size_t& i) {
    if (command.verb != server::UserVerb::Add)
        return false;
    const std::string_view arg = args[i];
    if (arg == "--no-generate") {
        command.mayGenerate = false;
        return true;
    }
    if (arg != "--branch" && arg != "--name")
        return false;
    if (++i >= args.size()) {
        std::fprintf(stderr, "zrm-server: %.*s needs a value\n", static_cast<int>(arg.size()), arg.data());
        return true;
    }
    (arg == "--branch" ? command.branch : command.name) = args[i];
    return true;
}

// Fills `options` from the command line; false (after a message) when it is wrong.
bool ParseCommandLine(const std::vector<std::string_view>& args, Options& options) {
    std::size_t i = 0;
    if (!args.empty() && args[0] == "init-db") {
        options.initDb = true;
        ++i;
    } else if (!args.empty() && args[0] == "user") {
        if (!ParseUserVerb(args, options, i))
            return false;
    } else if (!args.empty() && args[0] == "migrate") {
        options.migrate = true;
        ++i;
    }
    const bool serving = !options.initDb && !options.migrate && !options.user;
    const auto value = [&](std::string_view flag) -> std::optional<std::string_view> {
        if (i + 1 >= args.size()) {
            std::fprintf(stderr, "zrm-server: %.*s needs a value\n", static_cast<int>(flag.size()),
                         flag.data());
            return std::nullopt;
        }
        return args[++i];
    };
    for (; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--db") {
            const auto v = value(arg);
            if (!v)
                return false;
            options.connect = *v;
        } else if (options.user && ParseUserOption(args, *options.user, i)) {
            if (i >= args.size())
                return false;
        } else if ((arg == "--tls-cert" || arg == "--tls-key") && serving) {
            const auto v = value(arg);
            if (!v)
                return false;
            (arg == "--tls-cert" ? options.tlsCert : options.tlsKey) = *v;
        } else if (arg == "--insecure" && serving) {
            options.insecure = true;
        } else if (arg == "--listen" && serving) {
            const auto v = value(arg);
            if (!v)
                return false;
            const auto colon = v->rfind(':');
            const auto port = colon == std::string_view::npos ? std::nullopt : ParseInt(v->substr(colon + 1));
            if (!port || *port < 0 || *port > 65535 || colon == 0) {
                std::fprintf(stderr, "zrm-server: --listen takes HOST:PORT\n");
                return false;
            }
            options.host = std::string(v->substr(0, colon));
            options.port = *port;
        } else if (arg == "--threads" && serving) {
            const auto v = value(arg);
            const auto n = v ? ParseInt(*v) : std::nullopt;
            if (!n || *n < 1 || *n > 256) {
                std::fprintf(stderr, "zrm-server: --threads takes a number from 1 to 256\n");
                return false;
            }
            options.threads = *n;
        } else if (arg == "--quiet" && serving) {
            options.quiet = true;
        } else if (arg == "--demo" && options.initDb) {
            options.demo = true;
        } else if (arg == "--notes" && options.initDb) {
            const auto v = value(arg);
            const auto n = v ? ParseInt(*v) : std::nullopt;
            if (!n || *n < 0) {
                std::fprintf(stderr, "zrm-server: --notes takes a number of notes\n");
                return false;
            }
            options.notes = *n;
        } else {
            std::fprintf(stderr, "zrm-server: unknown option %.*s\n", static_cast<int>(arg.size()),
                         arg.data());
            return false;
        }
    }
    if (options.connect.empty()) {
        std::fprintf(stderr, "zrm-server: --db is required\n");
        return false;
    }
    if (options.user) {
        options.user->connect = options.connect;
        if (options.user->verb == server::UserVerb::Add && options.user->branch.empty()) {
            std::fprintf(stderr, "zrm-server: user add needs --branch CODE\n");
            return false;
        }
    }
    return true;
}

int Migrate(const Options& options) {
    soci::session session;
    db::Open(session, options.connect);
    const db::Upgrade upgrade = db::UpgradeSchema(session);
    if (upgrade.from == upgrade.to)
        std::fprintf(stderr, "zrm-server: schema already at version %d\n", upgrade.to);
    else
        std::fprintf(stderr, "zrm-server: schema upgraded from version %d to %d\n", upgrade.from, upgrade.to);
    return 0;
}

int Serve(const Options& options) {
    {
        soci::session session;
        db::Open(session, options.connect);
        db::RequireCurrentSchema(session, options.connect);
    }

    // Block the stop signals before any thread starts, so that every thread
    // inherits the mask and only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const bool tls = !options.tlsCert.empty() || !options.tlsKey.empty();
    const server::ListenCheck check = server::CheckListen(options.host, tls, options.insecure);
    if (!check.allowed) {
        std::fprintf(stderr, "zrm-server: %s\n", check.message.c_str());
        return 2;
    }
    if (!check.message.empty())
        std::fprintf(stderr, "zrm-server: %s\n", check.message.c_str());

    server::AppServerOptions serverOptions;
    serverOptions.threads = options.threads;
    serverOptions.quiet = options.quiet;
    serverOptions.tlsCert = options.tlsCert;
    serverOptions.tlsKey = options.tlsKey;
    server::AppServer app(options.connect, serverOptions);
    const int port = app.start(options.host, options.port);
    std::fprintf(stderr, "zrm-server: listening on %s://%s:%d\n", tls ? "https" : "http",
                 options.host.c_str(), port);
    int received = 0;
    sigwait(&stopSignals, &received);
    std::fprintf(stderr, "zrm-server: stopping\n");
    app.stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A peer that closes a TLS connection while it is written to must fail
    // that write, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    Options options;
    if (!ParseCommandLine(args, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        if (options.user)
            return server::RunUserCommand(*options.user, std::cin, std::cout, std::cerr);
        if (options.initDb) {
            db::InitDatabase(options.connect, {options.demo, options.notes});
            if (options.demo)
                server::AddDemoUsers(options.connect, std::cout);
            std::fprintf(stderr, "zrm-server: database ready%s\n", options.demo ? " with demo data" : "");
            return 0;
        }
        if (options.migrate)
            return Migrate(options);
        return Serve(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zrm-server: %s\n", e.what());
        return 1;
    }
}
