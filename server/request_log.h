// The server's log: one JSON line per request on standard error.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "server/http_exchange.h"

namespace server {

struct RequestFacts {
    std::string_view peer;
    int status = 0;
    double milliseconds = 0;
    std::size_t bytesIn = 0;  // bytes of the bodies
    std::size_t bytesOut = 0;
};

// {"ts":...,"level":...,"ref":...,"peer":...,"user":...,"route":...,
//  "http":...,"outcome":...,"ms":...,"bytes_in":...,"bytes_out":...}; every
// text escaped, so whatever a client sends stays inside one line. A response
// without a reference gets a fresh one.
std::string RequestLogLine(const HttpResponse& response, const RequestFacts& facts);

}  // namespace server
