// The HTTP side of a server: the routes (http_routes.h) served by the HTTP
// edge (http_edge.h), HTTPS when given a certificate, with one JSON log line
// per request on standard error.
#pragma once

#include <memory>
#include <string>

#include "server/call_target.h"
#include "server/http_limits.h"
#include "server/http_routes.h"

namespace server {

class HttpEdge;

struct HttpOptions {
    int threads = 8;
    bool quiet = false;               // no log line per request
    std::string name = "zrm-server";  // kept for callers; the log lines are JSON
    // PEM files: both given, the server speaks HTTPS only.
    std::string tlsCert{};
    std::string tlsKey{};
    HttpLimits limits{};
};

class HttpHost {
public:
    // std::runtime_error when the certificate or key cannot be loaded.
    HttpHost(CallTarget& target, HttpOptions options);
    ~HttpHost();
    HttpHost(const HttpHost&) = delete;
    HttpHost& operator=(const HttpHost&) = delete;

    // Binds and starts serving; returns the bound port (a free one for 0).
    // std::runtime_error when the address cannot be bound.
    int Start(const std::string& host, int port);
    void Stop();
    int Port() const { return port_; }

    void SetObserver(CallObserver observer);

private:
    std::unique_ptr<HttpEdge> MakeEdge();

    HttpOptions options_;
    HttpRoutes routes_;
    std::unique_ptr<HttpEdge> edge_;
    int port_ = 0;
};

}  // namespace server
