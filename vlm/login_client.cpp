#include "vlm/login_client.h"

#include <chrono>
#include <iostream>
#include <nlohmann/json.hpp>

#include "vlm/http_transport.h"
#include "vlm/net_failure.h"

namespace vlm {

namespace {

// One POST of a small JSON body; the answer kept whole (an answer to a login is small).
THttpOutcome PostJson(const TServerUrl& url, const std::string& caFile, const std::string& token,
                      const std::string& path, const std::string& body, int timeoutSeconds,
                      TBodyCollector& answer) {
    THttpClient client(url.host, url.port, url.tls, caFile);
    client.SetBearerToken(token);
    THttpRequest request;
    request.method = "POST";
    request.path = path;
    request.body = body;
    request.headers.emplace_back("Content-Type", "application/json");
    TTransferLimits limits;
    limits.silence = std::chrono::seconds(timeoutSeconds);
    limits.connect = std::chrono::seconds(std::min(timeoutSeconds, 10));
    return client.Perform(request, answer, limits);
}

std::string Text(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    return found != json.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace

TLoginResult LoginToServer(const TServerUrl& url, const std::string& caFile, const std::string& user,
                           const std::string& password, int timeoutSeconds) {
    TLoginResult result;
    const std::string body = nlohmann::json{{"user", user}, {"password", password}}.dump();
    TBodyCollector answer;
    const THttpOutcome outcome = PostJson(url, caFile, {}, "/login", body, timeoutSeconds, answer);
    if (!outcome.Answered()) {
        std::cerr << "login: " << BaseUrl(url.host, url.port, url.tls) << ": " << outcome.detail << '\n';
        result.error = NetFailureText(outcome.failure.value_or(TNetFailure::Other), url.host, url.port);
        return result;
    }
    const auto json = nlohmann::json::parse(answer.body, nullptr, false);
    if (outcome.status != 200) {
        result.error = json.is_object() ? Text(json, "error") : std::string();
        if (result.error.empty())
            result.error =
                "O servidor de aplicação recusou o acesso (erro " + std::to_string(outcome.status) + ")";
        return result;
    }
    if (!json.is_object() || Text(json, "token").empty() || Text(json, "branch").empty()) {
        result.error = "Resposta inválida do servidor de aplicação ao acesso";
        return result;
    }
    result.ok = true;
    result.token = Text(json, "token");
    result.user = Text(json, "user");
    result.branch = Text(json, "branch");
    return result;
}

void LogoutFromServer(const TServerUrl& url, const std::string& caFile, const std::string& token) {
    if (token.empty())
        return;
    TBodyCollector answer;
    PostJson(url, caFile, token, "/logout", "{}", 5, answer);
}

}  // namespace vlm
