// Answers of the application server as they arrive: made plain when the
// server compressed them because this client asked (Accept-Encoding: zstd),
// with a bound on what they may expand to, and decoded while they arrive.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "vcl/answer_decoder.h"
#include "vcl/wire.h"
#include "vlm/http_transport.h"

struct ZSTD_DCtx_s;

namespace vlm {

// Asked for only when the server is not on this machine: on loopback the
// compression costs more than the bytes it saves.
bool WantsCompressedAnswers(std::string_view host);

inline constexpr std::size_t kAnswerLimit = std::size_t{1} << 31;

// A zstd stream (one frame or several, with or without their content size)
// made plain piece by piece.
class TZstdStream {
public:
    explicit TZstdStream(std::size_t limit = kAnswerLimit);
    // Hands the plain text of `piece` to `out` as it comes; false for a
    // damaged stream or one that expands beyond the limit.
    bool Feed(std::string_view piece, const std::function<bool(std::string_view)>& out);
    // Whether the stream ended at the end of a frame.
    bool Complete() const { return context_ && pending_ == 0; }

private:
    struct FreeContext {
        void operator()(ZSTD_DCtx_s* context) const;
    };
    std::unique_ptr<ZSTD_DCtx_s, FreeContext> context_;
    std::string block_;
    std::size_t limit_;
    std::size_t produced_ = 0;
    std::size_t pending_ = 1;  // ZSTD_decompressStream's last hint; 0 at a frame's end
};

// The plain text of a zstd stream; nullopt for a damaged or truncated one,
// or one that expands beyond `limit` bytes.
std::optional<std::string> DecompressZstd(std::string_view frame, std::size_t limit = kAnswerLimit);

// Takes a call's answer as it arrives: a 200 answer is made plain and
// decoded piece by piece; any other is kept (up to 1 MiB) for its error text.
class TAnswerReceiver : public THttpReceiver {
public:
    void Start(int status, std::string_view contentEncoding) override;
    bool Receive(std::string_view piece) override;

    int Status() const { return status_; }
    const std::string& ErrorBody() const { return errorBody_; }
    // The decoded answer; vcl::EWireError when the text is malformed, the
    // compressed stream damaged or cut short, or the answer too large.
    vcl::wire::Answer Finish();

private:
    bool Decode(std::string_view plain);

    int status_ = 0;
    std::optional<TZstdStream> zstd_;
    vcl::wire::AnswerDecoder decoder_;
    std::size_t plainSize_ = 0;
    bool damaged_ = false;
    std::string errorBody_;
};

}  // namespace vlm
