#include "server/answer_output.h"

namespace server {

void AnswerOutput::Send(std::string_view piece) {
    started_ = true;
    if (!stream_->Send(piece))
        throw AnswerNotDelivered();
}

void AnswerOutput::Write(std::string_view piece) {
    if (started_) {
        Send(piece);
        return;
    }
    held_.append(piece);
    if (stream_ && held_.size() > stream_->PieceBytes()) {
        const std::string first = std::move(held_);
        held_.clear();
        Send(first);
    }
}

void AnswerOutput::Complete() {
    // Once streaming, every part was sent as it came.
    completed_ = true;
}

void AnswerOutput::Discard() {
    held_.clear();
}

}  // namespace server
