// What went wrong on the way to the application server, and the text the
// user reads for it: Portuguese, naming the server's host and port, without
// the transport's internal detail (that goes to the log).
#pragma once

#include <string>
#include <string_view>

namespace vlm {

enum class TNetFailure {
    InvalidAddress,    // no host, or a port outside 1..65535
    Refused,           // nothing listens there (connection refused, host unreachable)
    ConnectTimeout,    // the connection did not open in time
    NoAnswer,          // connected, but the answer did not come in time
    ConnectionLost,    // the connection dropped before the whole answer came
    Unavailable,       // the server answered its health check with an error status
    SecureConnection,  // the TLS handshake failed
    Certificate,       // the server's certificate was not accepted
    SessionExpired,    // the session is no longer valid: the user must sign in again
    Cancelled,         // the user abandoned the call
    Other,
};

// The user's text for a failure reaching HOST:PORT. Cancelled is always
// "Operação cancelada pelo usuário", whatever the server.
std::string NetFailureText(TNetFailure kind, std::string_view host, int port);

}  // namespace vlm
