#include "vlm/login_client.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include "vlm/net_failure.h"

namespace vlm {

namespace {

std::unique_ptr<httplib::Client> MakeClient(const TServerUrl& url, const std::string& caFile,
                                            int timeoutSeconds) {
    const std::string host = url.host.find(':') != std::string::npos ? "[" + url.host + "]" : url.host;
    auto client = std::make_unique<httplib::Client>((url.tls ? "https://" : "http://") + host + ":" +
                                                    std::to_string(url.port));
    if (url.tls) {
        client->enable_server_certificate_verification(true);
        if (!caFile.empty())
            client->set_ca_cert_path(caFile);
    }
    client->set_connection_timeout(std::min(timeoutSeconds, 10), 0);
    client->set_read_timeout(timeoutSeconds, 0);
    client->set_write_timeout(timeoutSeconds, 0);
    return client;
}

TNetFailure FailureOf(httplib::Error error) {
    switch (error) {
        case httplib::Error::Connection:
            return TNetFailure::Refused;
        case httplib::Error::ConnectionTimeout:
            return TNetFailure::ConnectTimeout;
        case httplib::Error::Read:
            return TNetFailure::NoAnswer;
        case httplib::Error::Write:
            return TNetFailure::ConnectionLost;
        case httplib::Error::SSLConnection:
            return TNetFailure::SecureConnection;
        case httplib::Error::SSLLoadingCerts:
        case httplib::Error::SSLServerVerification:
            return TNetFailure::Certificate;
        default:
            return TNetFailure::Other;
    }
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
        result.error = NetFailureText(FailureOf(answer.error()), url.host, url.port);
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
