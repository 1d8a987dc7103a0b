// The server address a user gives: https://HOST:PORT, http://HOST:PORT or a
// bare HOST:PORT (meaning http). Plain http is accepted only for a loopback
// address unless the user insists (--insecure).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vlm {

struct TServerUrl {
    bool tls = false;
    std::string host;  // without brackets for IPv6
    int port = 0;
};

// nullopt and a reason (English, for the command line) when the text is not
// a server address or plain http is refused.
std::optional<TServerUrl> ParseServerUrl(std::string_view text, bool insecure, std::string& error);

}  // namespace vlm
