// The remote data modules this server answers for and the routing of a call
// to its method.
#pragma once

#include <soci/soci.h>

#include <string_view>

#include "server/answer_output.h"
#include "server/call_guard.h"
#include "server/caller.h"
#include "vcl/variant.h"
#include "vcl/wire.h"

namespace server {

bool IsKnownServer(std::string_view server);
bool IsKnownMethod(std::string_view server, std::string_view method);

// Runs the method on `session` for `caller`. CallError(NotFound) for an
// unknown server or method, CallError(BadRequest) for malformed arguments.
// A method that can stream writes its answer to `output` when given one
// (see AnswerOutput) and returns an empty answer once output is completed.
vcl::wire::Answer Dispatch(soci::session& session, std::string_view server, std::string_view method,
                           const vcl::VariantArray& args, const Caller& caller,
                           const CallGuard& guard = CallGuard{}, AnswerOutput* output = nullptr);

}  // namespace server
