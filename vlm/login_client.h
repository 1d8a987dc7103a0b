// Logging in to the application server: POST /login with the user's name and
// password, answered with a session token and the user's branch.
#pragma once

#include <string>

#include "vlm/server_url.h"

namespace vlm {

struct TLoginResult {
    bool ok = false;
    std::string token;
    std::string user;
    std::string branch;
    std::string error;  // in Portuguese, for the user, when not ok
};

// Never raises; every failure (refused, unreachable, certificate) comes back
// as `error`.
TLoginResult LoginToServer(const TServerUrl& url, const std::string& caFile, const std::string& user,
                           const std::string& password, int timeoutSeconds = 30);

// Ends the session; failures are ignored (the session expires anyway).
void LogoutFromServer(const TServerUrl& url, const std::string& caFile, const std::string& token);

}  // namespace vlm
