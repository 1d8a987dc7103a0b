// Who makes a server call: the user of the session its bearer token names.
#pragma once

#include <string>

namespace server {

struct Caller {
    std::string user;    // CDUSUARIO, written on what the call creates
    std::string branch;  // the branch the user works in
    bool mayGenerate = false;
    // Backed by a USUARIO row, so that writes re-check that the account is
    // still active and allowed; the embedded host's local user is not.
    bool account = false;
};

// The caller of the embedded default: user "local" of `branch`, allowed to
// generate.
inline Caller LocalCaller(std::string branch) {
    return Caller{"local", std::move(branch), true, false};
}

}  // namespace server
