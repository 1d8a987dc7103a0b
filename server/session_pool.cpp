#include "server/session_pool.h"

#include <soci/sqlite3/soci-sqlite3.h>
#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "db/statistics.h"

namespace server {

SessionPool::SessionPool(std::string connect, std::size_t size)
    : info_(db::ParseConnect(connect)), size_(db::IsInMemory(info_) ? 1 : std::max<std::size_t>(size, 1)) {}

namespace {

constexpr auto kStatisticsEvery = std::chrono::hours(1);
constexpr int kMaintenanceWaitMs = 100;

// A SQLite session opened while its file could not be written stays
// read-only for good: it is closed rather than handed out again.
bool OpenedReadOnly(soci::session& session) {
    if (session.get_backend_name() != "sqlite3")
        return false;
    auto* backend = static_cast<soci::sqlite3_session_backend*>(session.get_backend());
    return backend != nullptr && sqlite3_db_readonly(backend->conn_, "main") == 1;
}

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
    while (!idle_.empty() && OpenedReadOnly(*idle_.back())) {
        idle_.pop_back();
        --open_;
    }
    if (!idle_.empty()) {
        auto session = std::move(idle_.back());
        idle_.pop_back();
        const bool refresh = StatisticsDue();
        lock.unlock();
        if (refresh)
            Maintain(session, db::RefreshStatistics);
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
        Maintain(session, db::AnalyzeIfNeverAnalysed);
    return Lease(*this, std::move(session));
}

void SessionPool::Maintain(std::unique_ptr<soci::session>& session, void (*step)(soci::session&)) {
    try {
        // Statistics only speed plans up: they wait for no lock, and a call
        // sets its own waits once it holds the session.
        if (session->get_backend_name() == "sqlite3")
            *session << "PRAGMA busy_timeout = " << kMaintenanceWaitMs;
        step(*session);
    } catch (const soci::soci_error&) {
        // A session that fails here is closed and its place given back.
        Release(std::move(session), true);
        throw;
    }
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
