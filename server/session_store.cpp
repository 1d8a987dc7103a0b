#include "server/session_store.h"

#include <sodium.h>

#include <algorithm>

#include "server/password_hash.h"

namespace server {

namespace {

constexpr std::size_t kTokenBytes = 32;

std::string HashOf(std::string_view token) {
    unsigned char digest[crypto_generichash_BYTES];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), nullptr, 0);
    return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

std::string NewToken() {
    unsigned char bytes[kTokenBytes];
    randombytes_buf(bytes, sizeof bytes);
    char hex[kTokenBytes * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    sodium_memzero(bytes, sizeof bytes);
    return hex;
}

}  // namespace

bool IsWellFormedToken(std::string_view token) {
    return token.size() == kTokenBytes * 2 && std::all_of(token.begin(), token.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

SessionStore::SessionStore(std::chrono::seconds idleLimit, std::size_t capacity, Now now)
    : idleLimit_(idleLimit), capacity_(std::max<std::size_t>(1, capacity)), now_(std::move(now)) {
    InitSodium();
}

bool SessionStore::Expired(const Entry& entry, Clock::time_point now) const {
    return now - entry.lastUse >= idleLimit_;
}

void SessionStore::MakeRoom(Clock::time_point now) {
    if (sessions_.size() < capacity_)
        return;
    std::erase_if(sessions_, [&](const auto& item) { return Expired(item.second, now); });
    if (sessions_.size() < capacity_)
        return;
    const auto oldest =
        std::min_element(sessions_.begin(), sessions_.end(),
                         [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
    sessions_.erase(oldest);
}

SessionStore::Opened SessionStore::Open(Caller caller) {
    const auto now = now_();
    Opened opened{NewToken(), now + idleLimit_};
    std::lock_guard lock(mutex_);
    MakeRoom(now);
    sessions_[HashOf(opened.token)] = Entry{std::move(caller), now};
    return opened;
}

std::optional<Caller> SessionStore::Find(std::string_view token) {
    if (!IsWellFormedToken(token))
        return std::nullopt;
    const std::string key = HashOf(token);
    const auto now = now_();
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(key);
    if (found == sessions_.end())
        return std::nullopt;
    if (Expired(found->second, now)) {
        sessions_.erase(found);
        return std::nullopt;
    }
    found->second.lastUse = now;
    return found->second.caller;
}

void SessionStore::Close(std::string_view token) {
    if (!IsWellFormedToken(token))
        return;
    const std::string key = HashOf(token);
    std::lock_guard lock(mutex_);
    sessions_.erase(key);
}

std::size_t SessionStore::Size() const {
    std::lock_guard lock(mutex_);
    return sessions_.size();
}

}  // namespace server
