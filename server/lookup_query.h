// POST /dtmDBGeral/query: the lookups of desktops that hold no database
// account. The body {"sql":"...","params":{"P_X":V,...}} names one of the
// forms' lookup statements by its exact text; any other text is refused.
#pragma once

#include <soci/soci.h>

#include <string_view>

#include "contracts/server_api.h"
#include "vcl/variant.h"
#include "vcl/wire.h"

namespace server {

using contracts::kLookupMethod;
using contracts::kLookupServer;

// True for the exact text of a lookup statement of the module's forms.
bool IsAllowedLookup(std::string_view sql);

// The body as call arguments: the text, then each parameter's name and
// value (a text or Null). CallError(BadRequest) when malformed.
vcl::VariantArray DecodeLookupRequest(std::string_view body);

// Runs an allowed statement with its parameters bound; the answer's result
// is the rows as a data packet, one field per column. CallError(Forbidden)
// for any other text.
vcl::wire::Answer RunLookup(soci::session& session, const vcl::VariantArray& args);

}  // namespace server
