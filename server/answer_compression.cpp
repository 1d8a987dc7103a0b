#include "server/answer_compression.h"

#include <zstd.h>

#include <algorithm>

#include "vcl/text_format.h"

namespace server {

namespace {

// Fast enough to keep up with the database on this kind of text, and
// several times smaller.
constexpr int kLevel = 3;

}  // namespace

bool AcceptsZstd(std::string_view acceptEncoding) {
    std::string_view rest = acceptEncoding;
    while (!rest.empty()) {
        const std::size_t comma = std::min(rest.find(','), rest.size());
        std::string_view item = rest.substr(0, comma);
        rest.remove_prefix(std::min(comma + 1, rest.size()));
        const std::size_t semicolon = item.find(';');
        if (!vcl::EqualsIgnoreCase(vcl::Trim(item.substr(0, semicolon)), "zstd"))
            continue;
        if (semicolon == std::string_view::npos)
            return true;
        // "q=0" (or "q=0.000") refuses it.
        const std::string_view quality = vcl::Trim(item.substr(semicolon + 1));
        const bool refused = vcl::EqualsIgnoreCase(quality.substr(0, 3), "q=0") &&
                             quality.find_first_not_of("=0.", 1) == std::string_view::npos;
        return !refused;
    }
    return false;
}

std::optional<std::string> CompressZstd(std::string_view body) {
    std::string frame(ZSTD_compressBound(body.size()), '\0');
    const std::size_t size = ZSTD_compress(frame.data(), frame.size(), body.data(), body.size(), kLevel);
    if (ZSTD_isError(size))
        return std::nullopt;
    frame.resize(size);
    return frame;
}

}  // namespace server
