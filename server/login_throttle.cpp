#include "server/login_throttle.h"

#include <algorithm>

namespace server {

namespace {

std::string UserKey(std::string_view user) {
    return "u:" + std::string(user);
}
std::string AddressKey(std::string_view address) {
    return "a:" + std::string(address);
}

}  // namespace

LoginThrottle::LoginThrottle() : LoginThrottle(Limits{}) {}

LoginThrottle::LoginThrottle(Limits limits, Now now) : limits_(limits), now_(std::move(now)) {}

std::chrono::seconds LoginThrottle::WaitFor(const std::string& key, Clock::time_point now) {
    const auto found = counts_.find(key);
    if (found == counts_.end())
        return std::chrono::seconds(0);
    const Count& count = found->second;
    if (now - count.last >= limits_.forgetAfter) {
        counts_.erase(found);
        return std::chrono::seconds(0);
    }
    const int over = count.failures - limits_.freeFailures;
    if (over < 0)
        return std::chrono::seconds(0);
    auto wait = limits_.firstWait;
    for (int i = 0; i < over && wait < limits_.longestWait; ++i)
        wait *= 2;
    wait = std::min(wait, limits_.longestWait);
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(now - count.last);
    return waited >= wait ? std::chrono::seconds(0) : wait - waited;
}

std::chrono::seconds LoginThrottle::WaitBefore(std::string_view user, std::string_view address) {
    const auto now = now_();
    std::lock_guard lock(mutex_);
    return std::max(WaitFor(UserKey(user), now), WaitFor(AddressKey(address), now));
}

void LoginThrottle::Bump(const std::string& key, Clock::time_point now) {
    if (counts_.size() >= limits_.capacity && !counts_.contains(key)) {
        std::erase_if(counts_,
                      [&](const auto& item) { return now - item.second.last >= limits_.forgetAfter; });
        if (counts_.size() >= limits_.capacity) {
            const auto oldest =
                std::min_element(counts_.begin(), counts_.end(),
                                 [](const auto& a, const auto& b) { return a.second.last < b.second.last; });
            counts_.erase(oldest);
        }
    }
    Count& count = counts_[key];
    ++count.failures;
    count.last = now;
}

void LoginThrottle::Failed(std::string_view user, std::string_view address) {
    const auto now = now_();
    std::lock_guard lock(mutex_);
    Bump(UserKey(user), now);
    Bump(AddressKey(address), now);
}

void LoginThrottle::Succeeded(std::string_view user) {
    std::lock_guard lock(mutex_);
    counts_.erase(UserKey(user));
}

}  // namespace server
