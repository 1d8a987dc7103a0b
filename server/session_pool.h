// A bounded pool of database sessions shared by the server's worker threads.
// A request borrows one session for its whole duration. The pool keeps the
// planner's statistics fresh: a file never analysed is analysed when the
// first session opens, and statistics are refreshed hourly and on close.
#pragma once

#include <soci/soci.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "db/connection.h"

namespace server {

class SessionPool {
public:
    // An in-memory SQLite database lives in one connection: its pool holds a
    // single session.
    SessionPool(std::string connect, std::size_t size);
    ~SessionPool();
    SessionPool(const SessionPool&) = delete;
    SessionPool& operator=(const SessionPool&) = delete;

    class Lease {
    public:
        Lease(SessionPool& pool, std::unique_ptr<soci::session> session);
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        soci::session& operator*() const { return *session_; }
        soci::session* operator->() const { return session_.get(); }
        // The session is broken: close it instead of returning it.
        void Discard() { discard_ = true; }

    private:
        SessionPool& pool_;
        std::unique_ptr<soci::session> session_;
        bool discard_ = false;
    };

    // Waits for a free session; opens a new one while under the bound.
    // db::DbError when the database cannot be opened.
    Lease Acquire();

private:
    void Release(std::unique_ptr<soci::session> session, bool discard);
    // Runs a maintenance step on a session about to be handed out; one that
    // fails is closed, and the failure passes on.
    void Maintain(std::unique_ptr<soci::session>& session, void (*step)(soci::session&));
    // Whether the session being handed out should refresh the statistics first.
    bool StatisticsDue();

    db::ConnectInfo info_;
    std::size_t size_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::vector<std::unique_ptr<soci::session>> idle_;
    std::size_t open_ = 0;
    bool analysedOnOpen_ = false;
    std::chrono::steady_clock::time_point lastRefresh_ = std::chrono::steady_clock::now();
};

}  // namespace server
