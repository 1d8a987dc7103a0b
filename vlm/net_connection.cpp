#include "vlm/net_connection.h"

#include <httplib.h>

#include <algorithm>

#include "vcl/exceptions.h"
#include "vcl/wire.h"

namespace vlm {

struct TNetConnection::Client {
    Client(const std::string& host, int port, int timeoutSeconds)
        : http(host, port), key(host + ":" + std::to_string(port)) {
        http.set_keep_alive(true);
        http.set_tcp_nodelay(true);
        http.set_connection_timeout(std::min(timeoutSeconds, 10), 0);
        http.set_read_timeout(timeoutSeconds, 0);
        http.set_write_timeout(timeoutSeconds, 0);
    }
    httplib::Client http;
    std::string key;
};

TNetConnection::TNetConnection(vcl::TComponent* owner, std::string name)
    : vcl::TComponent(owner, std::move(name)) {}

TNetConnection::~TNetConnection() = default;

std::string TNetConnection::ClientKey() const {
    return Host + ":" + std::to_string(Port);
}

void TNetConnection::EnsureClient() {
    if (!client_ || client_->key != ClientKey())
        client_ = std::make_unique<Client>(Host, Port, TimeoutSeconds);
}

void TNetConnection::RaiseUnreachable(const std::string& reason) const {
    std::string message = "Não foi possível conectar ao servidor de aplicação em " + ClientKey();
    if (!reason.empty())
        message += " (" + reason + ")";
    throw vcl::Exception(message);
}

void TNetConnection::SetConnected(bool connected) {
    if (connected == connected_)
        return;
    if (!connected) {
        connected_ = false;
        client_.reset();
        return;
    }
    std::string reason;
    if (!TryOpen(reason) && ThrowException)
        RaiseUnreachable(reason);
}

bool TNetConnection::TryOpen(std::string& reason) {
    if (BeforeConnect)
        BeforeConnect(this);
    if (Host.empty() || Port <= 0 || Port > 65535) {
        reason = "endereço inválido";
        return false;
    }
    EnsureClient();
    if (const auto answer = client_->http.Get("/health")) {
        if (answer->status == 200) {
            connected_ = true;
            return true;
        }
        reason = "o servidor respondeu " + std::to_string(answer->status);
    } else {
        reason = httplib::to_string(answer.error());
    }
    client_.reset();
    return false;
}

vcl::Variant TNetConnection::AppServer(std::string_view method, std::vector<TArg> args) {
    // A closed connection opens first, so a screen reopened after a close still works.
    if (std::string reason; !connected_ && !TryOpen(reason))
        RaiseUnreachable(reason);

    vcl::VariantArray values;
    values.reserve(args.size());
    for (const TArg& arg : args) {
        if (const auto* ref = std::get_if<std::string*>(&arg)) {
            values.emplace_back(*ref ? vcl::Variant(**ref) : vcl::Variant::Null());
        } else {
            values.push_back(std::get<vcl::Variant>(arg));
        }
    }
    if (OnCall)
        OnCall(ServerName, method, values);

    vcl::wire::Answer decoded = Post(method, vcl::wire::EncodeRequest(values));
    for (const auto& [position, value] : decoded.refs) {
        if (position < 1 || static_cast<std::size_t>(position) > args.size())
            continue;
        if (auto* ref = std::get_if<std::string*>(&args[static_cast<std::size_t>(position) - 1]);
            ref && *ref) {
            **ref = value.AsString();
        }
    }
    return std::move(decoded.result);
}

vcl::wire::Answer TNetConnection::Post(std::string_view method, const std::string& body) {
    if (std::string reason; !connected_ && !TryOpen(reason))
        RaiseUnreachable(reason);
    const std::string path = "/" + ServerName + "/" + std::string(method);
    const auto answer = client_->http.Post(path, body, "application/json");
    if (!answer) {
        connected_ = false;
        client_.reset();
        RaiseUnreachable(httplib::to_string(answer.error()));
    }
    if (answer->status != 200) {
        std::string error = vcl::wire::DecodeError(answer->body);
        if (error.empty())
            error = "Erro " + std::to_string(answer->status) + " do servidor de aplicação em " + path;
        throw vcl::Exception(error);
    }
    return vcl::wire::DecodeAnswer(answer->body);
}

}  // namespace vlm
