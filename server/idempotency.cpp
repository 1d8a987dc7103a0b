#include "server/idempotency.h"

#include <sodium.h>

#include "server/password_hash.h"

namespace server {

namespace {

long long UnixSeconds(std::chrono::system_clock::time_point when) {
    return std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
}

}  // namespace

bool IsValidIdempotencyKey(std::string_view key) {
    if (key.empty() || key.size() > 64)
        return false;
    for (const char c : key) {
        const bool ok =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
        if (!ok)
            return false;
    }
    return true;
}

std::string RequestHash(std::string_view body) {
    InitSodium();
    unsigned char digest[32];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(body.data()),
                       body.size(), nullptr, 0);
    char hex[sizeof digest * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
    return hex;
}

std::optional<StoredAnswer> FindStoredAnswer(soci::session& session, std::string_view user,
                                             std::string_view key) {
    StoredAnswer stored;
    const std::string userText(user), keyText(key);
    session << "SELECT DSHASHPEDIDO, DSRESPOSTA FROM IDEMPOTENCIA WHERE CDUSUARIO = :u AND CDCHAVE = :k",
        soci::use(userText), soci::use(keyText), soci::into(stored.requestHash), soci::into(stored.answer);
    if (!session.got_data())
        return std::nullopt;
    return stored;
}

void StoreAnswer(soci::session& session, std::string_view user, std::string_view key,
                 std::string_view requestHash, std::string_view answer) {
    const std::string userText(user), keyText(key), hashText(requestHash), answerText(answer);
    const long long now = UnixSeconds(std::chrono::system_clock::now());
    session << "INSERT INTO IDEMPOTENCIA (CDUSUARIO, CDCHAVE, DSHASHPEDIDO, DSRESPOSTA, NRCRIACAO) "
               "VALUES (:u, :k, :h, :r, :t)",
        soci::use(userText), soci::use(keyText), soci::use(hashText), soci::use(answerText), soci::use(now);
}

long long PurgeOldKeys(soci::session& session, std::chrono::system_clock::time_point now) {
    const long long before = UnixSeconds(now - kKeysKeptFor);
    soci::statement purge =
        (session.prepare << "DELETE FROM IDEMPOTENCIA WHERE NRCRIACAO < :t", soci::use(before));
    purge.execute(true);
    return purge.get_affected_rows();
}

}  // namespace server
