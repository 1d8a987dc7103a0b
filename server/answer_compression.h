// Answers compressed for clients that ask for it (Accept-Encoding: zstd):
// only above a size where it pays.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace server {

inline constexpr std::size_t kCompressAbove = 64 * 1024;

// Whether an Accept-Encoding value lists zstd (not refused with q=0).
bool AcceptsZstd(std::string_view acceptEncoding);

// The zstd frame of `body`; nullopt when compression fails.
std::optional<std::string> CompressZstd(std::string_view body);

}  // namespace server
