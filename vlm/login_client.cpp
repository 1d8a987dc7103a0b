#include "vlm/login_client.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include "vlm/http_transport.h"
#include "vlm/net_failure.h"

namespace vlm {

namespace {

std::unique_ptr<httplib::Client> MakeClient(const TServerUrl& url, const std::string& caFile,
                                            int timeoutSeconds) {
    auto client = std::make_unique<httplib::Client>(BaseUrl(url.host, url.port, url.tls));
    ConfigureClient(*client, url.tls, caFile, timeoutSeconds);
    return client;
}

std::string Text(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    return found != json.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace

TLoginResult LoginToServer(const TServerUrl& url, const std::string& caFile, const std::string& user,
                           const std::string& password, int timeoutSeconds) {
    TLoginResult result;
    const auto client = MakeClient(url, caFile, timeoutSeconds);
    const std::string body = nlohmann::json{{"user", user}, {"password", password}}.dump();
    const auto answer = client->Post("/login", body, "application/json");
    if (!answer) {
        result.error = NetFailureText(FailureOf(answer.error(), true), url.host, url.port);
        return result;
    }
    const auto json = nlohmann::json::parse(answer->body, nullptr, false);
    if (answer->status != 200) {
        result.error = json.is_object() ? Text(json, "error") : std::string();
        if (result.error.empty())
            result.error =
                "O servidor de aplicação recusou o acesso (erro " + std::to_string(answer->status) + ")";
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
    const auto client = MakeClient(url, caFile, 5);
    client->set_bearer_token_auth(token);
    client->Post("/logout", "{}", "application/json");
}

}  // namespace vlm
