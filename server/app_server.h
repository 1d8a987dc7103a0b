// The application server: the remote data modules over a database, served
// on HTTP. Usable in-process (the desktop host, tests) or by zrm-server.
#pragma once

#include <memory>
#include <string>

#include "server/http_host.h"
#include "server/session_pool.h"

namespace server {

struct AppServerOptions {
    int threads = 8;     // HTTP workers, and database sessions
    bool quiet = false;  // no log line per request
};

class AppServer {
public:
    // `connect`: SOCI connection text of an initialised database.
    // db::DbError when the text names no supported backend.
    explicit AppServer(std::string connect, AppServerOptions options = {});
    ~AppServer();
    AppServer(const AppServer&) = delete;
    AppServer& operator=(const AppServer&) = delete;

    // Returns the bound port (a free one for 0).
    int start(const std::string& host = "127.0.0.1", int port = 0);
    void stop();
    int port() const;
    void setObserver(CallObserver observer);

private:
    class Target;
    std::unique_ptr<Target> target_;
    std::unique_ptr<HttpHost> http_;
};

}  // namespace server
