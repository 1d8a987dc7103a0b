// How a server call fails: the HTTP status the failure maps to, and the
// reason the client reads.
#pragma once

#include <stdexcept>
#include <string>

#include "vcl/exceptions.h"

namespace server {

enum class CallStatus {
    BadRequest = 400,     // malformed body, wrong arguments
    Unauthorized = 401,   // no live session
    Forbidden = 403,      // a statement the server does not run
    NotFound = 404,       // unknown server or method
    Unprocessable = 422,  // an idempotency key reused for another request
    Internal = 500,       // a failure inside the server
};

class CallError : public vcl::Error {
public:
    CallError(CallStatus status, const std::string& reason) : vcl::Error(reason), status_(status) {}
    CallStatus Status() const { return status_; }

private:
    CallStatus status_;
};

[[noreturn]] inline void BadRequest(const std::string& reason) {
    throw CallError(CallStatus::BadRequest, reason);
}

}  // namespace server
