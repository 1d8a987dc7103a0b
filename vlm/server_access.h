// How the host reaches the application server beyond its address: over TLS
// or not, which certificate authority to trust, and the session's bearer
// token (held in memory only, never written anywhere).
#pragma once

#include <string>

namespace vlm {

struct TServerAccess {
    bool tls = false;
    std::string caFile;  // PEM; empty: the system's authorities
    std::string token;   // empty: no session
};

}  // namespace vlm
