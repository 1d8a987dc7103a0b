#include "server/session_pool.h"

#include <algorithm>

namespace server {

SessionPool::SessionPool(std::string connect, std::size_t size)
    : info_(db::ParseConnect(connect)), size_(db::IsInMemory(info_) ? 1 : std::max<std::size_t>(size, 1)) {}

SessionPool::Lease::Lease(SessionPool& pool, std::unique_ptr<soci::session> session)
    : pool_(pool), session_(std::move(session)) {}

SessionPool::Lease::~Lease() {
    pool_.Release(std::move(session_), discard_);
}

SessionPool::Lease SessionPool::Acquire() {
    std::unique_lock lock(mutex_);
    available_.wait(lock, [this] { return !idle_.empty() || open_ < size_; });
    if (!idle_.empty()) {
        auto session = std::move(idle_.back());
        idle_.pop_back();
        return Lease(*this, std::move(session));
    }
    ++open_;
    lock.unlock();
    auto session = std::make_unique<soci::session>();
    try {
        db::Open(*session, info_);
    } catch (const db::DbError&) {
        // Give the slot back before the failure passes on.
        std::lock_guard relock(mutex_);
        --open_;
        available_.notify_one();
        throw;
    }
    return Lease(*this, std::move(session));
}

void SessionPool::Release(std::unique_ptr<soci::session> session, bool discard) {
    std::lock_guard lock(mutex_);
    if (discard || !session)
        --open_;
    else
        idle_.push_back(std::move(session));
    available_.notify_one();
}

}  // namespace server
