#include "server/http_host.h"

#include <cstdio>

#include "server/http_edge.h"

namespace server {

HttpHost::HttpHost(CallTarget& target, HttpOptions options)
    : options_(std::move(options)), routes_(target), edge_(MakeEdge()) {}

HttpHost::~HttpHost() {
    Stop();
}

std::unique_ptr<HttpEdge> HttpHost::MakeEdge() {
    // Quiet servers still log their errors.
    HttpEdge::Logger logger = [quiet = options_.quiet](const HttpResponse& response,
                                                       const RequestFacts& facts) {
        if (!quiet || response.level == LogLevel::Error)
            std::fprintf(stderr, "%s\n", RequestLogLine(response, facts).c_str());
    };
    return std::make_unique<HttpEdge>(
        HttpEdgeOptions{static_cast<std::size_t>(std::max(1, options_.threads)), options_.limits,
                        options_.tlsCert, options_.tlsKey},
        [this](const HttpRequest& request) { return routes_.Handle(request); }, std::move(logger));
}

void HttpHost::SetObserver(CallObserver observer) {
    routes_.SetObserver(std::move(observer));
}

int HttpHost::Start(const std::string& host, int port) {
    if (!edge_)
        edge_ = MakeEdge();
    port_ = edge_->Start(host, port);
    return port_;
}

void HttpHost::Stop() {
    if (edge_) {
        edge_->Stop();
        edge_.reset();
    }
}

}  // namespace server
