// The pieces of a streamed answer on their way from the worker that makes
// them to the event loop that writes them as HTTP chunks. At most a few
// wait: a slow reader blocks the worker, so memory stays at a few pieces
// whatever the answer's size. Compressed into one zstd frame when the
// client asked for it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "server/answer_compression.h"
#include "server/http_exchange.h"

namespace server {

class ChunkQueue : public ResponseStream {
public:
    static constexpr std::size_t kWaitingPieces = 4;

    // `wake` tells the loop that a piece waits (from the worker's thread);
    // `stopping` set: the server stops, the worker gives up.
    ChunkQueue(std::size_t pieceBytes, bool compress, std::function<void()> wake,
               const std::atomic<bool>& stopping);

    // The worker's side.
    bool Send(std::string_view piece) override;
    std::size_t PieceBytes() const override { return pieceBytes_; }
    // The answer is whole: the end of the zstd frame, if any, is queued.
    bool Finish();

    // The loop's side.
    bool Compressed() const { return compress_; }
    // The next piece to write, freeing its place; nullopt when none waits.
    std::optional<std::string> Take();
    // Nothing more can be written: the worker's Send answers false from now on.
    void Cancel();
    bool Cancelled() const;
    bool Waiting() const;  // a piece waits to be written

private:
    bool Queue(std::string piece);

    const std::size_t pieceBytes_;
    const bool compress_;
    std::function<void()> wake_;
    const std::atomic<bool>& stopping_;
    std::unique_ptr<ZstdStream> zstd_;  // made with the first piece
    mutable std::mutex mutex_;
    std::condition_variable roomLeft_;
    std::deque<std::string> waiting_;
    bool cancelled_ = false;
};

}  // namespace server
