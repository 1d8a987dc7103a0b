// Password hashes: Argon2id strings from libsodium (crypto_pwhash_str), which
// carry their own salt and cost parameters.
#pragma once

#include <string>
#include <string_view>

namespace server {

// std::runtime_error when libsodium cannot start or runs out of memory.
std::string HashPassword(std::string_view password);

// True when `password` matches `hash`; false for a malformed hash. The
// comparison inside libsodium takes constant time.
bool VerifyPassword(std::string_view hash, std::string_view password);

// Makes sure libsodium is initialised (idempotent, thread-safe).
void InitSodium();

}  // namespace server
