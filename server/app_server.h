// The application server: the remote data modules over a database, served
// on HTTP or HTTPS, with login sessions. Usable in-process (the desktop
// host, tests) or by zrm-server.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "server/caller.h"
#include "server/http_host.h"
#include "server/session_pool.h"

namespace server {

struct AppServerOptions {
    int threads = 8;        // HTTP workers, and database sessions
    bool quiet = false;     // no log line per request
    std::string tlsCert{};  // PEM files; both given: HTTPS
    std::string tlsKey{};
    std::chrono::seconds sessionIdle = std::chrono::hours(8);
    // Each call's deadline: database waits end within it, and nothing is
    // committed after it. Below the clients' read timeout.
    std::chrono::milliseconds callTimeout = std::chrono::seconds(30);
    HttpLimits limits{};
};

class AppServer {
public:
    // `connect`: SOCI connection text of an initialised database.
    // db::DbError when the text names no supported backend;
    // std::runtime_error when the TLS files cannot be loaded.
    explicit AppServer(std::string connect, AppServerOptions options = {});
    ~AppServer();
    AppServer(const AppServer&) = delete;
    AppServer& operator=(const AppServer&) = delete;

    // Returns the bound port (a free one for 0).
    int Start(const std::string& host = "127.0.0.1", int port = 0);
    void Stop();
    int Port() const;
    void SetObserver(CallObserver observer);

    // A session opened without a password, for a host that runs this server
    // in its own process; returns its bearer token.
    std::string OpenSession(Caller caller);

private:
    class Target;
    std::unique_ptr<Target> target_;
    std::unique_ptr<HttpHost> http_;
};

}  // namespace server
