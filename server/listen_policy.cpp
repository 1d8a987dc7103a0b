#include "server/listen_policy.h"

#include "vcl/net_address.h"

namespace server {

ListenCheck CheckListen(std::string_view host, bool tls, bool insecure) {
    if (tls || vcl::IsLoopbackHost(host))
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
