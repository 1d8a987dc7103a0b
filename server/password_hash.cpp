#include "server/password_hash.h"

#include <sodium.h>

#include <stdexcept>

namespace server {

void InitSodium() {
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium could not be initialised");
}

std::string HashPassword(std::string_view password) {
    InitSodium();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        throw std::runtime_error("out of memory while hashing a password");
    }
    return hash;
}

bool VerifyPassword(std::string_view hash, std::string_view password) {
    InitSodium();
    // crypto_pwhash_str_verify wants a terminated string of bounded length.
    if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES)
        return false;
    const std::string terminated(hash);
    return crypto_pwhash_str_verify(terminated.c_str(), password.data(), password.size()) == 0;
}

}  // namespace server
