#include "vlm/server_url.h"

#include <charconv>

#include "vcl/net_address.h"

namespace vlm {

std::optional<TServerUrl> ParseServerUrl(std::string_view text, bool insecure, std::string& error) {
    TServerUrl url;
    std::string_view rest = text;
    if (rest.starts_with("https://")) {
        url.tls = true;
        rest.remove_prefix(8);
    } else if (rest.starts_with("http://")) {
        rest.remove_prefix(7);
    } else if (rest.find("://") != std::string_view::npos) {
        error = "--server takes https://HOST:PORT, http://HOST:PORT or HOST:PORT, not " + std::string(text);
        return std::nullopt;
    }
    if (rest.ends_with('/'))
        rest.remove_suffix(1);
    const auto colon = rest.rfind(':');
    int port = 0;
    if (colon == std::string_view::npos || colon == 0 ||
        std::from_chars(rest.data() + colon + 1, rest.data() + rest.size(), port).ptr !=
            rest.data() + rest.size() ||
        colon + 1 == rest.size() || port <= 0 || port > 65535) {
        error = "--server wants HOST:PORT with a port from 1 to 65535, not " + std::string(text);
        return std::nullopt;
    }
    std::string_view host = rest.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    if (host.empty() || host.find_first_of("/[]@ ") != std::string_view::npos) {
        error = "--server names no host: " + std::string(text);
        return std::nullopt;
    }
    url.host = host;
    url.port = port;
    if (!url.tls && !insecure && !vcl::IsLoopbackHost(url.host)) {
        error = "--server " + std::string(text) +
                ": plain http is only for loopback addresses; use https:// or add --insecure";
        return std::nullopt;
    }
    return url;
}

}  // namespace vlm
