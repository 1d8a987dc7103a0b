// Feeds arbitrary text to the answer decoder that reads while the text
// arrives, in pieces whose sizes the input's first bytes choose, and checks
// that it gives exactly what the whole-text decoder gives: the same answer,
// or the same error.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "vcl/answer_decoder.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"

namespace {

struct Outcome {
    bool ok = false;
    std::string error;
    vcl::wire::Answer answer;
};

template <class Decode>
Outcome Run(Decode&& decode) {
    Outcome outcome;
    try {
        outcome.answer = decode();
        outcome.ok = true;
    } catch (const vcl::EWireError& error) {
        outcome.error = error.what();
    }
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // Two bytes choose the pieces' sizes; the rest is the answer's text.
    const unsigned first = data[0] % 64 + 1, step = data[1] % 16;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

    const Outcome whole = Run([&] { return vcl::wire::DecodeAnswer(text); });
    const Outcome streamed = Run([&] {
        vcl::wire::AnswerDecoder decoder;
        std::size_t at = 0;
        for (std::size_t piece = first; at < text.size(); piece = piece * 2 % 97 + step + 1) {
            const std::size_t length = std::min(piece, text.size() - at);
            decoder.Feed(text.substr(at, length));
            at += length;
        }
        return decoder.Finish();
    });
    if (whole.ok != streamed.ok || whole.error != streamed.error)
        __builtin_trap();
    if (whole.ok &&
        (!(whole.answer.result == streamed.answer.result) || whole.answer.refs != streamed.answer.refs))
        __builtin_trap();
    return 0;
}
