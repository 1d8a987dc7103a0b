// Slows down password guessing: after a few failed logins for one user name
// or from one address, further attempts for it are refused without checking
// the password until a waiting time has passed, which doubles with each
// further failure up to a ceiling. A success clears the user's count (not
// the address's, so one good account does not reset a guessing address).
// Counts are forgotten after a quiet period; the table is bounded.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace server {

class LoginThrottle {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    struct Limits {
        int freeFailures = 5;  // failures before any waiting
        std::chrono::seconds firstWait{1};
        std::chrono::seconds longestWait{300};
        std::chrono::seconds forgetAfter{900};  // quiet time that clears a count
        std::size_t capacity = 100000;          // names and addresses remembered
    };

    LoginThrottle();
    explicit LoginThrottle(Limits limits, Now now = &Clock::now);

    // Zero when an attempt for this user from this address may go ahead;
    // otherwise how long to wait.
    std::chrono::seconds WaitBefore(std::string_view user, std::string_view address);
    void Failed(std::string_view user, std::string_view address);
    void Succeeded(std::string_view user);

private:
    struct Count {
        int failures = 0;
        Clock::time_point last;
    };
    std::chrono::seconds WaitFor(const std::string& key, Clock::time_point now);
    void Bump(const std::string& key, Clock::time_point now);

    Limits limits_;
    Now now_;
    std::mutex mutex_;
    std::map<std::string, Count> counts_;  // "u:NAME" and "a:ADDRESS"
};

}  // namespace server
