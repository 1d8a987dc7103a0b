#include "server/answer_compression.h"

#include <zstd.h>

#include <algorithm>
#include <cctype>

namespace server {

namespace {

// Fast enough to keep up with the database on this kind of text, and
// several times smaller.
constexpr int kLevel = 3;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return lower;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

bool AcceptsZstd(std::string_view acceptEncoding) {
    const std::string lower = Lower(acceptEncoding);
    std::string_view rest = lower;
    while (!rest.empty()) {
        const std::size_t comma = std::min(rest.find(','), rest.size());
        std::string_view item = rest.substr(0, comma);
        rest.remove_prefix(std::min(comma + 1, rest.size()));
        const std::size_t semicolon = item.find(';');
        if (Trim(item.substr(0, semicolon)) != "zstd")
            continue;
        if (semicolon == std::string_view::npos)
            return true;
        const std::string_view quality = Trim(item.substr(semicolon + 1));
        return !(quality.rfind("q=0", 0) == 0 && quality.find_first_not_of("q=0.") == std::string_view::npos);
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
