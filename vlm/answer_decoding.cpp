#include "vlm/answer_decoding.h"

#include <zstd.h>

#include <memory>

#include "vcl/net_address.h"

namespace vlm {

bool WantsCompressedAnswers(std::string_view host) {
    return !vcl::IsLoopbackHost(host);
}

std::optional<std::string> DecompressZstd(std::string_view frame, std::size_t limit) {
    const std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)> context(ZSTD_createDCtx(), ZSTD_freeDCtx);
    if (!context)
        return std::nullopt;
    std::string plain;
    ZSTD_inBuffer in{frame.data(), frame.size(), 0};
    std::string block(ZSTD_DStreamOutSize(), '\0');
    std::size_t last = 1;
    while (in.pos < in.size || last != 0) {
        ZSTD_outBuffer out{block.data(), block.size(), 0};
        last = ZSTD_decompressStream(context.get(), &out, &in);
        if (ZSTD_isError(last) || plain.size() + out.pos > limit)
            return std::nullopt;
        plain.append(block.data(), out.pos);
        // Input used up, nothing produced, the frame unfinished: truncated.
        if (in.pos == in.size && out.pos == 0 && last != 0)
            return std::nullopt;
    }
    return plain;
}

}  // namespace vlm
