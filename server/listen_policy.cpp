#include "server/listen_policy.h"

#include <arpa/inet.h>

namespace server {

bool IsLoopbackHost(std::string_view host) {
    std::string text(host);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    if (text == "localhost")
        return true;
    in_addr v4{};
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, text.c_str(), &v6) == 1)
        return IN6_IS_ADDR_LOOPBACK(&v6);
    return false;
}

ListenCheck CheckListen(std::string_view host, bool tls, bool insecure) {
    if (tls || IsLoopbackHost(host))
        return {};
    const std::string where(host);
    if (insecure) {
        return {true,
                "warning: listening on " + where +
                    " without TLS (--insecure): passwords and session tokens cross the network in clear"};
    }
    return {false,
            "refusing to listen on " + where +
                " without TLS: give --tls-cert FILE and --tls-key FILE, or --insecure to accept the risk"};
}

}  // namespace server
