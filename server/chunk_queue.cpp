#include "server/chunk_queue.h"

#include <algorithm>
#include <chrono>

namespace server {

namespace {
// How often a worker waiting for room looks whether the server stops.
constexpr auto kStopCheck = std::chrono::milliseconds(100);
}  // namespace

ChunkQueue::ChunkQueue(std::size_t pieceBytes, bool compress, std::function<void()> wake,
                       const std::atomic<bool>& stopping)
    : pieceBytes_(std::max<std::size_t>(pieceBytes, 1)),
      compress_(compress),
      wake_(std::move(wake)),
      stopping_(stopping) {}

bool ChunkQueue::Send(std::string_view piece) {
    if (!compress_)
        return Queue(std::string(piece));
    if (!zstd_)
        zstd_ = std::make_unique<ZstdStream>();
    std::string frame;
    zstd_->Compress(piece, frame);
    return Queue(std::move(frame));
}

bool ChunkQueue::Finish() {
    if (!zstd_)
        return !Cancelled();
    std::string end;
    zstd_->End(end);
    return Queue(std::move(end));
}

bool ChunkQueue::Queue(std::string piece) {
    {
        std::unique_lock lock(mutex_);
        while (!cancelled_ && waiting_.size() >= kWaitingPieces) {
            if (stopping_) {
                cancelled_ = true;
                break;
            }
            roomLeft_.wait_for(lock, kStopCheck);
        }
        if (cancelled_)
            return false;
        // An empty piece would read as the last chunk.
        if (piece.empty())
            return true;
        waiting_.push_back(std::move(piece));
    }
    wake_();
    return true;
}

std::optional<std::string> ChunkQueue::Take() {
    std::optional<std::string> piece;
    {
        std::lock_guard lock(mutex_);
        if (cancelled_ || waiting_.empty())
            return std::nullopt;
        piece = std::move(waiting_.front());
        waiting_.pop_front();
    }
    roomLeft_.notify_one();
    return piece;
}

void ChunkQueue::Cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        waiting_.clear();
    }
    roomLeft_.notify_all();
}

bool ChunkQueue::Waiting() const {
    std::lock_guard lock(mutex_);
    return !waiting_.empty();
}

bool ChunkQueue::Cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

}  // namespace server
