// Where a method that can stream writes its answer's text. The text is held
// until it passes one piece: a smaller answer, or one that fails before,
// is answered whole like any other (same status, body and log line); past
// it the pieces go to the client as they come, and the status can no
// longer change.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "server/http_exchange.h"
#include "vcl/wire_sink.h"

namespace server {

// The client can no longer receive the answer being streamed to it.
class AnswerNotDelivered : public std::runtime_error {
public:
    AnswerNotDelivered() : std::runtime_error("the client stopped receiving the answer") {}
};

class AnswerOutput {
public:
    // `stream` null: the transport cannot stream, the method answers whole.
    explicit AnswerOutput(ResponseStream* stream) : stream_(stream) {}
    AnswerOutput(const AnswerOutput&) = delete;
    AnswerOutput& operator=(const AnswerOutput&) = delete;

    bool CanStream() const { return stream_ != nullptr; }
    std::size_t PieceBytes() const { return stream_ ? stream_->PieceBytes() : vcl::wire::kPieceBytes; }

    // Takes the next part of the text; AnswerNotDelivered when the client
    // can no longer receive it.
    void Write(std::string_view piece);
    // The text is whole: what is still held is sent when streaming.
    void Complete();
    // A failure before anything left: what was written is forgotten.
    void Discard();

    // Something was handed to the stream: the answer's head may be out.
    bool Started() const { return started_; }
    bool Completed() const { return completed_; }
    // The text of a completed answer that never started streaming.
    std::string TakeWhole() { return std::move(held_); }

private:
    void Send(std::string_view piece);

    ResponseStream* stream_;
    std::string held_;
    bool started_ = false;
    bool completed_ = false;
};

}  // namespace server
