// zrm-server --db CONNECT [--listen HOST:PORT] [--threads N] [--quiet]
// zrm-server init-db --db CONNECT [--demo] [--notes N]
// zrm-server migrate --db CONNECT
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"
#include "db/init_db.h"
#include "db/schema_version.h"
#include "server/app_server.h"

namespace {

constexpr const char* kUsage =
    "usage: zrm-server --db CONNECT [--listen HOST:PORT] [--threads N] [--quiet]\n"
    "       zrm-server init-db --db CONNECT [--demo] [--notes N]\n"
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
};

// Fills `options` from the command line; false (after a message) when it is wrong.
bool ParseCommandLine(const std::vector<std::string_view>& args, Options& options) {
    std::size_t i = 0;
    if (!args.empty() && args[0] == "init-db") {
        options.initDb = true;
        ++i;
    } else if (!args.empty() && args[0] == "migrate") {
        options.migrate = true;
        ++i;
    }
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
        } else if (arg == "--listen" && !options.initDb && !options.migrate) {
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
        } else if (arg == "--threads" && !options.initDb && !options.migrate) {
            const auto v = value(arg);
            const auto n = v ? ParseInt(*v) : std::nullopt;
            if (!n || *n < 1 || *n > 256) {
                std::fprintf(stderr, "zrm-server: --threads takes a number from 1 to 256\n");
                return false;
            }
            options.threads = *n;
        } else if (arg == "--quiet" && !options.initDb && !options.migrate) {
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

    server::AppServer app(options.connect, {options.threads, options.quiet});
    const int port = app.start(options.host, options.port);
    std::fprintf(stderr, "zrm-server: listening on %s:%d\n", options.host.c_str(), port);
    int received = 0;
    sigwait(&stopSignals, &received);
    std::fprintf(stderr, "zrm-server: stopping\n");
    app.stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    Options options;
    if (!ParseCommandLine(args, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        if (options.initDb) {
            db::InitDatabase(options.connect, {options.demo, options.notes});
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
