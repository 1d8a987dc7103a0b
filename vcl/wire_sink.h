// The answer's wire text in pieces: the encoder hands over what it has
// written each time a piece is full, so that a server can send an answer
// in chunks while the rest is still being encoded, without holding it whole.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "vcl/wire.h"

namespace vcl::wire {

// Receives each piece in order; the view is valid during the call only.
using TextSink = std::function<void(std::string_view piece)>;

inline constexpr std::size_t kPieceBytes = 64 * 1024;

// The same text as EncodeAnswer, handed to `sink` in pieces of about
// `pieceBytes` (cut between packet rows; the last one may be smaller).
// A text that is not UTF-8 raises EWireError as EncodeAnswer does, but
// pieces before the faulty packet may already have been handed over.
void EncodeAnswerTo(const Answer& answer, const TextSink& sink, std::size_t pieceBytes = kPieceBytes);

}  // namespace vcl::wire
