#include "vlm/net_connection.h"

#include <httplib.h>

#include <algorithm>

#include "vcl/exceptions.h"
#include "vcl/wire.h"
#include "vlm/host_form.h"
#include "vlm/tls_failure.h"

namespace vlm {

namespace {

std::string Bracketed(const std::string& host) {
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

}  // namespace

// --- Transport: plain or TLS client, bearer token ---

struct TNetConnection::Client {
    Client(const std::string& host, int port, const TServerAccess& access, int timeoutSeconds,
           std::string clientKey)
        : http((access.tls ? "https://" : "http://") + Bracketed(host) + ":" + std::to_string(port)),
          key(std::move(clientKey)) {
        if (access.tls) {
            http.enable_server_certificate_verification(true);
            if (!access.caFile.empty())
                http.set_ca_cert_path(access.caFile);
        }
        if (!access.token.empty())
            http.set_bearer_token_auth(access.token);
        // A TLS connection the server closed while idle still looks alive
        // to the client (its close alert is readable), and the next request
        // would fail on it: TLS calls open a connection each.
        http.set_keep_alive(!access.tls);
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

std::string TNetConnection::Address() const {
    return Host + ":" + std::to_string(Port);
}

// A client is rebuilt when anything it was made with changes.
std::string TNetConnection::ClientKey() const {
    return std::string(Access.tls ? "https " : "http ") + Address() + " " + Access.caFile + " " +
           Access.token;
}

void TNetConnection::EnsureClient() {
    if (!client_ || client_->key != ClientKey())
        client_ = std::make_unique<Client>(Host, Port, Access, TimeoutSeconds, ClientKey());
}

void TNetConnection::TakeHostAccess() {
    for (vcl::TComponent* owner = Owner(); owner; owner = owner->Owner()) {
        if (const auto* form = dynamic_cast<const THostForm*>(owner)) {
            Access = form->Host.Config.server;
            return;
        }
    }
}

void TNetConnection::RaiseUnreachable(const std::string& reason) const {
    std::string message = "Não foi possível conectar ao servidor de aplicação em " + Address();
    if (!reason.empty())
        message += " (" + reason + ")";
    throw vcl::Exception(message);
}

// --- Opening and calls ---

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
    TakeHostAccess();
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
        const std::string tls = TlsFailureText(answer.error(), Host);
        client_.reset();
        if (!tls.empty() && ThrowException)
            throw vcl::Exception(tls);
        reason = tls.empty() ? httplib::to_string(answer.error()) : tls;
        return false;
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

    const std::string path = "/" + ServerName + "/" + std::string(method);
    const auto answer = client_->http.Post(path, vcl::wire::EncodeRequest(values), "application/json");
    if (!answer) {
        connected_ = false;
        client_.reset();
        if (const std::string tls = TlsFailureText(answer.error(), Host); !tls.empty())
            throw vcl::Exception(tls);
        RaiseUnreachable(httplib::to_string(answer.error()));
    }
    if (answer->status != 200) {
        std::string error = vcl::wire::DecodeError(answer->body);
        if (error.empty())
            error = "Erro " + std::to_string(answer->status) + " do servidor de aplicação em " + path;
        throw vcl::Exception(error);
    }

    vcl::wire::Answer decoded = vcl::wire::DecodeAnswer(answer->body);
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

}  // namespace vlm
