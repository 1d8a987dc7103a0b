// What the HTTP edge accepts from a client, and for how long it waits.
#pragma once

#include <chrono>
#include <cstddef>

namespace server {

struct HttpLimits {
    std::size_t maxBodyBytes = std::size_t{64} << 20;    // larger: 413
    std::size_t maxHeaderBytes = std::size_t{16} << 10;  // larger: 431
    std::size_t maxConnections = 256;                    // more: 503 at once
    std::chrono::milliseconds headerTimeout = std::chrono::seconds(10);
    std::chrono::milliseconds idleTimeout = std::chrono::seconds(5);  // keep-alive between requests
    // Receiving a request's body, and sending an answer.
    std::chrono::milliseconds transferTimeout = std::chrono::seconds(60);
    // Answers larger than this go out in chunks of about this size while
    // they are made (HTTP/1.1 clients); smaller ones whole.
    std::size_t streamPieceBytes = std::size_t{64} << 10;
};

}  // namespace server
