// POST /login bodies through the parser and the login service, against an
// account store in memory: never a crash, a leak or an undefined result, and
// only the right name and password open a session.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "server/login.h"
#include "server/password_hash.h"

namespace {

// One account, hashed once (Argon2id is slow by design).
const server::Account& Ana() {
    static const server::Account account{"ana", "Ana", "0001", server::HashPassword("senha-certa"),
                                         true,  true};
    return account;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const auto parsed = server::ParseLoginBody(body);
    // Only bodies naming a known user reach the slow hash check.
    if (!parsed || parsed->user != "ana")
        return 0;
    server::SessionStore sessions;
    server::LoginThrottle throttle;
    server::LoginService login(sessions, throttle,
                               [](const std::string& user) -> std::optional<server::Account> {
                                   if (user == "ana")
                                       return Ana();
                                   return std::nullopt;
                               });
    const server::LoginResult result = login.Login(body, "10.0.0.1");
    const bool right = parsed->password == "senha-certa";
    if ((result.status == 200) != right || (sessions.Size() == 1) != right)
        std::abort();
    return 0;
}
