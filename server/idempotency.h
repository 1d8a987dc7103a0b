// Answers kept under idempotency keys (table IDEMPOTENCIA): a call repeated
// with the same key by the same user gets the stored answer instead of
// running again.
#pragma once

#include <soci/soci.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace server {

inline constexpr std::chrono::hours kKeysKeptFor{24 * 7};

// A key as the header may carry it: 1 to 64 letters, digits or '-'.
bool IsValidIdempotencyKey(std::string_view key);

// Hex digest of a request's body, to tell a repeated request from another
// one reusing its key.
std::string RequestHash(std::string_view body);

struct StoredAnswer {
    std::string requestHash;
    std::string answer;  // the answer's JSON, as sent
};

std::optional<StoredAnswer> FindStoredAnswer(soci::session& session, std::string_view user,
                                             std::string_view key);

// Inside the caller's transaction.
void StoreAnswer(soci::session& session, std::string_view user, std::string_view key,
                 std::string_view requestHash, std::string_view answer);

// Deletes the keys stored before `now - kKeysKeptFor`; returns how many.
long long PurgeOldKeys(soci::session& session,
                       std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace server
