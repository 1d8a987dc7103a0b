// The server's HTTP edge: an event loop that accepts connections, reads
// requests within the limits (size and time) and hands each complete
// request to a pool of workers, so that idle or slow clients hold no worker
// and never delay others. HTTPS when given a certificate.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "server/http_exchange.h"
#include "server/http_limits.h"
#include "server/request_log.h"

namespace server {

struct HttpEdgeOptions {
    std::size_t workers = 8;
    HttpLimits limits{};
    std::string tlsCert{};  // PEM files; both given: HTTPS only
    std::string tlsKey{};
};

class HttpEdge {
public:
    // Runs on a worker; must not throw.
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    // Every request answered, and every refusal at the edge.
    using Logger = std::function<void(const HttpResponse&, const RequestFacts&)>;

    // std::runtime_error when the certificate or key cannot be loaded.
    HttpEdge(HttpEdgeOptions options, Handler handler, Logger logger);
    ~HttpEdge();
    HttpEdge(const HttpEdge&) = delete;
    HttpEdge& operator=(const HttpEdge&) = delete;

    // Binds and starts serving; returns the bound port (a free one for 0).
    // std::runtime_error when the address cannot be bound.
    int Start(const std::string& host, int port);
    // Closes every connection; waits for the calls running.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace server
