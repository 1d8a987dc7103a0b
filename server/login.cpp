#include "server/login.h"

#include <sodium.h>

#include <ctime>
#include <nlohmann/json.hpp>

#include "server/password_hash.h"
#include "vcl/utf8.h"

namespace server {

namespace {

constexpr std::size_t kMaxBody = 4096;
constexpr std::size_t kMaxUserChars = 20;
constexpr std::size_t kMaxPasswordBytes = 1024;

std::string ErrorBody(std::string_view text) {
    return nlohmann::json{{"error", text}}.dump();
}

}  // namespace

std::optional<LoginRequest> ParseLoginBody(std::string_view body) {
    if (body.size() > kMaxBody)
        return std::nullopt;
    const auto json = nlohmann::json::parse(body, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return std::nullopt;
    const auto user = json.find("user");
    const auto password = json.find("password");
    if (user == json.end() || password == json.end() || !user->is_string() || !password->is_string())
        return std::nullopt;
    LoginRequest request{user->get<std::string>(), password->get<std::string>()};
    if (request.user.empty() || vcl::utf8::Length(request.user) > kMaxUserChars ||
        request.password.size() > kMaxPasswordBytes)
        return std::nullopt;
    return request;
}

std::string IsoUtc(SessionStore::Clock::time_point when) {
    const std::time_t seconds = SessionStore::Clock::to_time_t(when);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

LoginService::LoginService(SessionStore& sessions, LoginThrottle& throttle, FindAccountFn findAccount)
    : sessions_(sessions), throttle_(throttle), findAccount_(std::move(findAccount)) {}

bool LoginService::PasswordMatches(const std::optional<Account>& account, std::string_view password) {
    hashing_.acquire();
    struct Release {
        std::counting_semaphore<2>& semaphore;
        ~Release() { semaphore.release(); }
    } release{hashing_};
    if (account)
        return VerifyPassword(account->hash, password);
    std::call_once(dummyOnce_, [this] { dummyHash_ = HashPassword("not a password of anyone"); });
    VerifyPassword(dummyHash_, password);
    return false;
}

LoginResult LoginService::Login(std::string_view body, std::string_view peer) {
    std::optional<LoginRequest> request = ParseLoginBody(body);
    if (!request)
        return {400, ErrorBody("Pedido de login malformado"), "malformed login"};
    struct Wipe {
        std::string& text;
        ~Wipe() { sodium_memzero(text.data(), text.size()); }
    } wipe{request->password};

    if (const auto wait = throttle_.WaitBefore(request->user, peer); wait.count() > 0) {
        return {429,
                ErrorBody("Muitas tentativas de acesso; tente novamente em " + std::to_string(wait.count()) +
                          " s"),
                "login throttled"};
    }
    const std::optional<Account> account = findAccount_(request->user);
    const bool matches = PasswordMatches(account, request->password);
    if (!matches || !account->active) {
        throttle_.Failed(request->user, peer);
        return {401, ErrorBody(kLoginRefused), "login refused"};
    }
    throttle_.Succeeded(request->user);
    const auto opened = sessions_.Open(Caller{account->user, account->branch, account->mayGenerate, true});
    nlohmann::json answer{{"token", opened.token},
                          {"user", account->user},
                          {"branch", account->branch},
                          {"expires", IsoUtc(opened.expires)}};
    return {200, answer.dump(), "login ok"};
}

}  // namespace server
