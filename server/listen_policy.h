// Whether the server may listen where it is told to: anything but a loopback
// address needs TLS, or the explicit --insecure.
#pragma once

#include <string>
#include <string_view>

namespace server {

struct ListenCheck {
    bool allowed = true;
    std::string message;  // why it is refused, or the warning to log
};

ListenCheck CheckListen(std::string_view host, bool tls, bool insecure);

}  // namespace server
