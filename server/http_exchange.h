// One HTTP request and its answer as the server's routes see them, apart
// from the transport that carried them; and what the request log records.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace server {

struct HttpRequest {
    std::string method;  // "POST", "GET"...
    std::string target;  // path and query as sent
    // Names in lower case; a repeated header keeps its last value.
    std::map<std::string, std::string> headers;
    std::string body;
    std::string peer;  // address of the client

    // The value of header `name` (lower case), empty when absent.
    std::string_view Header(std::string_view name) const {
        const auto found = headers.find(std::string(name));
        return found == headers.end() ? std::string_view{} : std::string_view(found->second);
    }
};

enum class LogLevel { Info, Warn, Error };

struct HttpResponse {
    int status = 200;
    std::string body;  // JSON
    std::map<std::string, std::string> headers;
    // For the request's log line.
    std::string route;    // "POST /zrm90000.rdmRemessaAnalise/getSerie"
    std::string user;     // who made the call, when known
    std::string outcome;  // "OK", "N", or the error (its internal reason for failures)
    std::string ref;      // the failure's reference, when the answer carries one
    LogLevel level = LogLevel::Info;
};

// An answer {"error":"TEXT"} with `status`, logged with `outcome` (TEXT when empty).
HttpResponse ErrorResponse(int status, std::string_view text, std::string_view outcome = {});

}  // namespace server
