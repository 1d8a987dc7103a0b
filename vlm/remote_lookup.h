// Remote mode of the database module: a lookup posted to the application
// server as POST /dtmDBGeral/query {"sql":"...","params":{"P_X":V,...}}.
#pragma once

#include <string>
#include <vector>

#include "vlm/db_geral.h"
#include "vlm/net_connection.h"

namespace vlm {

std::string EncodeLookupRequest(const std::string& sql, const std::vector<TLookupParam>& params);

// A lookup that goes through `connection` (its ServerName is set to
// "dtmDBGeral"); the connection must outlive the lookup. A refusal or a
// failure of the server raises vcl::Exception with the server's text.
TRemoteLookup MakeRemoteLookup(TNetConnection& connection);

}  // namespace vlm
