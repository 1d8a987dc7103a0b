// Decodes a call's answer while its text arrives in pieces: the rows of
// each packet are read into the packet's column store as they complete, so
// that little is left to do when the last piece arrives. The outcome is
// exactly DecodeAnswer's on the whole text, errors included.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "vcl/wire.h"

namespace vcl::wire {

class AnswerDecoder {
public:
    AnswerDecoder();
    ~AnswerDecoder();
    AnswerDecoder(AnswerDecoder&&) noexcept;
    AnswerDecoder& operator=(AnswerDecoder&&) noexcept;

    // The next piece of the text; a piece may end anywhere, even inside a
    // UTF-8 sequence. Never raises for malformed text: Finish tells.
    void Feed(std::string_view piece);
    // The answer once the whole text was fed; EWireError as DecodeAnswer.
    Answer Finish();
    // Packet rows already read from the pieces fed so far.
    std::size_t RowsRead() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vcl::wire
