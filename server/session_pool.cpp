#include "server/session_pool.h"

#include <algorithm>
#include <utility>

#include "db/statistics.h"

namespace server {

SessionPool::SessionPool(std::string connect, std::size_t size)
    : info_(db::ParseConnect(connect)), size_(db::IsInMemory(info_) ? 1 : std::max<std::size_t>(size, 1)) {}

namespace {

constexpr auto kStatisticsEvery = std::chrono::hours(1);

}  // namespace

SessionPool::~SessionPool() {
    for (auto& session : idle_)
        db::RefreshStatistics(*session);
}

bool SessionPool::StatisticsDue() {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastRefresh_ < kStatisticsEvery)
        return false;
    lastRefresh_ = now;
    return true;
}

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
        const bool refresh = StatisticsDue();
        lock.unlock();
        if (refresh)
            db::RefreshStatistics(*session);
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
    lock.lock();
    const bool firstOpen = !std::exchange(analysedOnOpen_, true);
    lock.unlock();
    if (firstOpen)
        db::AnalyzeIfNeverAnalysed(*session);
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
