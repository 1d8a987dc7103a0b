// One HTTP request and its answer as the server's routes see them, apart
// from the transport that carried them; and what the request log records.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace server {

// The body of a 200 answer sent in pieces while it is made (HTTP/1.1
// chunked transfer), for answers too large to hold whole. Used from the
// worker thread that makes the answer.
class ResponseStream {
public:
    virtual ~ResponseStream() = default;
    // Sends `piece`; the first one also sends the answer's head. Waits
    // while earlier pieces are still queued (a slow reader slows the
    // writer). False when the answer can no longer reach the client (gone,
    // too slow, server stopping): the writer stops making it.
    virtual bool Send(std::string_view piece) = 0;
    // The size of a piece; an answer no larger goes whole, as any other.
    virtual std::size_t PieceBytes() const = 0;
};

struct HttpRequest {
    std::string method;  // "POST", "GET"...
    std::string target;  // path and query as sent
    // Names in lower case; a repeated header keeps its last value.
    std::map<std::string, std::string> headers;
    std::string body;
    std::string peer;  // address of the client
    // Where a large answer may be streamed; null when the transport cannot.
    ResponseStream* stream = nullptr;

    // The value of header `name` (lower case), empty when absent.
    std::string_view Header(std::string_view name) const {
        const auto found = headers.find(std::string(name));
        return found == headers.end() ? std::string_view{} : std::string_view(found->second);
    }
};

enum class LogLevel { Info, Warn, Error };

// How the answer's body travels.
enum class Delivery {
    Whole,         // in `body`
    Streamed,      // sent through the request's stream, complete
    StreamBroken,  // sent in part through the stream, then failed: the client must see it incomplete
};

struct HttpResponse {
    int status = 200;
    std::string body;  // JSON
    Delivery delivery = Delivery::Whole;
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
