// What the host's HTTP clients share: the address httplib takes, certificate
// checks, and what a transport error means to the user.
#pragma once

#include <httplib.h>

#include <string>

#include "vlm/net_failure.h"

namespace vlm {

// "https://[::1]:8211": an IPv6 host in brackets.
std::string BaseUrl(const std::string& host, int port, bool tls);

// With TLS, the server's certificate is checked against the system's
// authorities, or against caFile when given.
void ConfigureClient(httplib::Client& client, bool tls, const std::string& caFile, int timeoutSeconds);

// `readTimedOut`: the failed read lasted the whole read timeout, so the
// server was silent; a read that failed sooner was a dropped connection.
TNetFailure FailureOf(httplib::Error error, bool readTimedOut);

}  // namespace vlm
