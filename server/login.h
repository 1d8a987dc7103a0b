// POST /login and POST /logout: a user name and password become a session
// token. Every refusal of a name or password reads the same, whether the
// user is unknown, disabled or the password wrong.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <string_view>

#include "server/accounts.h"
#include "server/login_throttle.h"
#include "server/session_store.h"

namespace server {

inline constexpr std::string_view kLoginRefused = "Usuário ou senha inválidos";
inline constexpr std::string_view kSessionInvalid = "Sessão inválida ou expirada";

struct LoginRequest {
    std::string user;
    std::string password;
};

// {"user":"...","password":"..."} with nothing else required; nullopt for
// anything else, a user name over 20 characters or a password over 1024
// bytes or a body over 4 KiB.
std::optional<LoginRequest> ParseLoginBody(std::string_view body);

struct LoginResult {
    int status = 0;
    std::string body;     // the JSON answer
    std::string outcome;  // for the log: never the password or the token
};

class LoginService {
public:
    // Reads an account by user name; may raise on a database failure.
    using FindAccountFn = std::function<std::optional<Account>(const std::string& user)>;

    LoginService(SessionStore& sessions, LoginThrottle& throttle, FindAccountFn findAccount);

    LoginResult Login(std::string_view body, std::string_view peer);

private:
    bool PasswordMatches(const std::optional<Account>& account, std::string_view password);

    SessionStore& sessions_;
    LoginThrottle& throttle_;
    FindAccountFn findAccount_;
    // Argon2id takes tens of megabytes per check: a few at a time.
    std::counting_semaphore<2> hashing_{2};
    std::once_flag dummyOnce_;
    std::string dummyHash_;  // checked for unknown users, so they take as long
};

// "YYYY-MM-DDTHH:MM:SSZ".
std::string IsoUtc(SessionStore::Clock::time_point when);

}  // namespace server
