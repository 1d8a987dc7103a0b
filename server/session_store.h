// Login sessions kept in the server's memory. A token is 256 random bits
// shown to the client once; the store keeps only its BLAKE2b hash, so a
// memory dump or a log line of the map never yields a usable token. A
// session ends on logout or after an idle period. Sessions do not survive a
// restart of the server: the clients log in again.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "server/caller.h"

namespace server {

class SessionStore {
public:
    using Clock = std::chrono::system_clock;
    using Now = std::function<Clock::time_point()>;

    explicit SessionStore(std::chrono::seconds idleLimit = std::chrono::hours(8),
                          std::size_t capacity = 10000, Now now = &Clock::now);

    struct Opened {
        std::string token;          // 64 hex digits
        Clock::time_point expires;  // if left idle from now
    };
    // When full, the session idle the longest makes room.
    Opened Open(Caller caller);
    // The caller of a live session, whose idle period starts again; nullopt
    // for a malformed, unknown or expired token.
    std::optional<Caller> Find(std::string_view token);
    void Close(std::string_view token);
    std::size_t Size() const;

private:
    struct Entry {
        Caller caller;
        Clock::time_point lastUse;
    };
    bool Expired(const Entry& entry, Clock::time_point now) const;
    void MakeRoom(Clock::time_point now);

    std::chrono::seconds idleLimit_;
    std::size_t capacity_;
    Now now_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Entry> sessions_;  // by token hash
};

// A bearer token's shape: exactly 64 lowercase hex digits.
bool IsWellFormedToken(std::string_view token);

}  // namespace server
