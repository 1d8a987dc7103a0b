// Failures whose detail stays in the server's log: the client reads a short
// Portuguese text with a reference, the log line holds the detail under the
// same reference.
#pragma once

#include <string>
#include <string_view>

namespace server {

// Eight hex digits, random.
std::string NewFailureRef();

// Logs `detail` at level error under a new reference; returns
// "Erro no banco de dados (ref. R)".
std::string DatabaseFailure(std::string_view detail);

// Logs `detail` at level error under a new reference; returns
// "Erro interno do servidor (ref. R)".
std::string InternalFailure(std::string_view detail);

}  // namespace server
