#include "vlm/answer_decoding.h"

#include <zstd.h>

#include <algorithm>

#include "vcl/exceptions.h"
#include "vcl/net_address.h"

namespace vlm {

bool WantsCompressedAnswers(std::string_view host) {
    return !vcl::IsLoopbackHost(host);
}

void TZstdStream::FreeContext::operator()(ZSTD_DCtx_s* context) const {
    ZSTD_freeDCtx(context);
}

TZstdStream::TZstdStream(std::size_t limit)
    : context_(ZSTD_createDCtx()), block_(ZSTD_DStreamOutSize(), '\0'), limit_(limit) {}

bool TZstdStream::Feed(std::string_view piece, const std::function<bool(std::string_view)>& out) {
    if (!context_)
        return false;
    if (piece.empty())
        return true;  // nothing to do, and a finished frame stays finished
    ZSTD_inBuffer in{piece.data(), piece.size(), 0};
    for (;;) {
        ZSTD_outBuffer buffer{block_.data(), block_.size(), 0};
        pending_ = ZSTD_decompressStream(context_.get(), &buffer, &in);
        if (ZSTD_isError(pending_) || produced_ + buffer.pos > limit_ ||
            (buffer.pos > 0 && !out(std::string_view(block_.data(), buffer.pos)))) {
            context_.reset();
            return false;
        }
        produced_ += buffer.pos;
        // Input used up and room left in the output: nothing is held back.
        if (in.pos == in.size && buffer.pos < buffer.size)
            return true;
    }
}

std::optional<std::string> DecompressZstd(std::string_view frame, std::size_t limit) {
    TZstdStream stream(limit);
    std::string plain;
    const bool fed = stream.Feed(frame, [&plain](std::string_view piece) {
        plain.append(piece);
        return true;
    });
    if (!fed || !stream.Complete())
        return std::nullopt;
    return plain;
}

void TAnswerReceiver::Start(int status, std::string_view contentEncoding) {
    status_ = status;
    if (status_ == 200 && contentEncoding == "zstd")
        zstd_.emplace();
}

bool TAnswerReceiver::Decode(std::string_view plain) {
    plainSize_ += plain.size();
    if (plainSize_ > kAnswerLimit)
        return false;
    decoder_.Feed(plain);
    return true;
}

bool TAnswerReceiver::Receive(std::string_view piece) {
    if (status_ != 200) {
        // An error's text is short: what goes beyond the limit is dropped.
        constexpr std::size_t kErrorLimit = std::size_t{1} << 20;
        errorBody_.append(piece.substr(0, kErrorLimit - std::min(errorBody_.size(), kErrorLimit)));
        return true;
    }
    const bool ok =
        zstd_ ? zstd_->Feed(piece, [this](std::string_view plain) { return Decode(plain); }) : Decode(piece);
    damaged_ = damaged_ || !ok;
    return ok;
}

vcl::wire::Answer TAnswerReceiver::Finish() {
    if (damaged_ || (zstd_ && !zstd_->Complete()))
        throw vcl::EWireError("malformed wire data: the answer is damaged or too large");
    return decoder_.Finish();
}

}  // namespace vlm
