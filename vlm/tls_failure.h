// Portuguese texts for failures of the secure channel to the application
// server, naming the host.
#pragma once

#include <httplib.h>

#include <string>

namespace vlm {

// Empty for failures that are not about TLS.
std::string TlsFailureText(httplib::Error error, const std::string& host);

}  // namespace vlm
