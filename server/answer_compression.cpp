#include "server/answer_compression.h"

#include <zstd.h>

#include <algorithm>
#include <stdexcept>

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

struct ZstdStream::Context {
    std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> handle{ZSTD_createCCtx(), ZSTD_freeCCtx};
};

ZstdStream::ZstdStream() : context_(std::make_unique<Context>()) {
    if (!context_->handle ||
        ZSTD_isError(ZSTD_CCtx_setParameter(context_->handle.get(), ZSTD_c_compressionLevel, kLevel)))
        throw std::runtime_error("cannot set up zstd compression");
}

ZstdStream::~ZstdStream() = default;

void ZstdStream::Run(std::string_view piece, int directive, std::string& out) {
    ZSTD_inBuffer in{piece.data(), piece.size(), 0};
    const auto mode = static_cast<ZSTD_EndDirective>(directive);
    std::size_t left = 0;
    do {
        // Room for what the piece may become, grown while zstd has more to give.
        const std::size_t start = out.size();
        out.resize(start + ZSTD_compressBound(piece.size() - in.pos) + ZSTD_CStreamOutSize());
        ZSTD_outBuffer buffer{out.data() + start, out.size() - start, 0};
        left = ZSTD_compressStream2(context_->handle.get(), &buffer, &in, mode);
        out.resize(start + buffer.pos);
        if (ZSTD_isError(left))
            throw std::runtime_error(std::string("zstd compression failed: ") + ZSTD_getErrorName(left));
    } while (left != 0 || in.pos < in.size);
}

void ZstdStream::Compress(std::string_view piece, std::string& out) {
    Run(piece, ZSTD_e_flush, out);
}

void ZstdStream::End(std::string& out) {
    Run({}, ZSTD_e_end, out);
}

}  // namespace server
