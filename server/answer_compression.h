// Answers compressed for clients that ask for it (Accept-Encoding: zstd):
// only above a size where it pays.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace server {

inline constexpr std::size_t kCompressAbove = 64 * 1024;

// Whether an Accept-Encoding value lists zstd (not refused with q=0).
bool AcceptsZstd(std::string_view acceptEncoding);

// The zstd frame of `body`; nullopt when compression fails.
std::optional<std::string> CompressZstd(std::string_view body);

// One zstd frame made piece by piece, for an answer whose size is not known
// ahead. Each piece's output is flushed, so that the client can decode what
// it has received. std::runtime_error when compression fails.
class ZstdStream {
public:
    ZstdStream();
    ~ZstdStream();
    ZstdStream(const ZstdStream&) = delete;
    ZstdStream& operator=(const ZstdStream&) = delete;

    // The frame's bytes for `piece`, appended to `out`.
    void Compress(std::string_view piece, std::string& out);
    // The frame's last bytes, appended to `out`.
    void End(std::string& out);

private:
    void Run(std::string_view piece, int directive, std::string& out);

    struct Context;
    std::unique_ptr<Context> context_;
};

}  // namespace server
