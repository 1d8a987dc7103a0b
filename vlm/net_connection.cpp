#include "vlm/net_connection.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <optional>
#include <random>

#include "contracts/server_api.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"
#include "vlm/answer_decoding.h"
#include "vlm/call_wait.h"
#include "vlm/host_form.h"
#include "vlm/http_transport.h"

namespace vlm {

namespace {

// A failed read that lasted (nearly) the whole read timeout: the server was silent.
bool ReadTimedOut(std::chrono::milliseconds elapsed, int readTimeoutSeconds) {
    return elapsed >= std::chrono::seconds(readTimeoutSeconds) - std::chrono::milliseconds(500);
}

constexpr int kUnauthorized = 401;
constexpr int kMaxAttempts = 4;
constexpr auto kRetryPause = std::chrono::milliseconds(200);

// Failures after which the request may not have reached the server, or its
// answer was lost on the way back.
bool MayRetry(TNetFailure failure) {
    return failure == TNetFailure::Refused || failure == TNetFailure::ConnectTimeout ||
           failure == TNetFailure::NoAnswer || failure == TNetFailure::ConnectionLost;
}

// Methods that only read: sending them twice changes nothing.
bool OnlyReads(std::string_view method) {
    return method == contracts::kGetNotasFiscais || method == contracts::kGetSerie || method == "query";
}

// The transport's own words stay in the log (standard error); the user reads NetFailureText.
void LogTransportError(const std::string& connection, const std::string& server, httplib::Error error) {
    std::cerr << connection << ": " << server << ": " << httplib::to_string(error) << '\n';
}

}  // namespace

// --- Transport: plain or TLS client, bearer token ---

struct TNetConnection::Client {
    Client(const std::string& host, int port, const TServerAccess& access, int timeoutSeconds,
           std::string clientKey)
        : http(BaseUrl(host, port, access.tls)), key(std::move(clientKey)) {
        ConfigureClient(http, access.tls, access.caFile, timeoutSeconds);
        if (!access.token.empty())
            http.set_bearer_token_auth(access.token);
        // A TLS connection the server closed while idle still looks alive
        // to the client (its close alert is readable), and the next request
        // would fail on it: TLS calls open a connection each.
        http.set_keep_alive(!access.tls);
        http.set_tcp_nodelay(true);
        // Compressed answers are decoded here (zstd), not by the library.
        http.set_decompress(false);
    }
    httplib::Client http;
    std::string key;
};

// One request and what came back.
struct TNetConnection::Exchange {
    httplib::Request request;
    std::optional<httplib::Result> answer;
    std::chrono::milliseconds elapsed{0};
    TCallProgress progress;  // for a call on a worker thread
};

TNetConnection::TNetConnection(vcl::TComponent* owner, std::string name)
    : vcl::TComponent(owner, std::move(name)) {}

TNetConnection::~TNetConnection() {
    for (Abandoned& call : abandoned_)
        call.worker.join();
}

void TNetConnection::JoinEnded() {
    std::erase_if(abandoned_, [](Abandoned& call) {
        if (!call.exchange->progress.Done())
            return false;
        call.worker.join();
        return true;
    });
}

std::string TNetConnection::Address() const {
    return Host + ":" + std::to_string(Port);
}

// A client is rebuilt when anything it was made with changes. Holds the
// token: never shown.
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

void TNetConnection::Raise(TNetFailure failure) const {
    throw vcl::Exception(NetFailureText(failure, Host, Port));
}

void TNetConnection::Disconnect() {
    connected_ = false;
    client_.reset();
}

ICallWaiter* TNetConnection::CurrentWaiter() const {
    if (Waiter != nullptr)
        return Waiter;
    for (const vcl::TComponent* owner = Owner(); owner != nullptr; owner = owner->Owner()) {
        if (const auto* form = dynamic_cast<const THostForm*>(owner))
            return form->Host.CallWaiter;
    }
    return nullptr;
}

void TNetConnection::SetConnected(bool connected) {
    if (connected == connected_)
        return;
    if (!connected) {
        Disconnect();
        return;
    }
    TNetFailure failure = TNetFailure::Other;
    if (!TryOpen(failure) && ThrowException)
        Raise(failure);
}

bool TNetConnection::TryOpen(TNetFailure& failure) {
    if (BeforeConnect)
        BeforeConnect(this);
    TakeHostAccess();
    if (Host.empty() || Port <= 0 || Port > 65535) {
        failure = TNetFailure::InvalidAddress;
        return false;
    }
    EnsureClient();
    httplib::Request health;
    health.method = "GET";
    health.path = "/health";
    const std::unique_ptr<Exchange> exchange = Send(std::move(health));
    if (const httplib::Result& answer = *exchange->answer) {
        if (answer->status == 200) {
            connected_ = true;
            return true;
        }
        failure = answer->status == kUnauthorized ? TNetFailure::SessionExpired : TNetFailure::Unavailable;
    } else {
        LogTransportError(Name(), ClientKey(), answer.error());
        failure = FailureOf(answer.error(), ReadTimedOut(exchange->elapsed, TimeoutSeconds));
    }
    client_.reset();
    return false;
}

std::unique_ptr<TNetConnection::Exchange> TNetConnection::Send(httplib::Request request) {
    auto exchange = std::make_unique<Exchange>();
    exchange->request = std::move(request);
    const auto started = std::chrono::steady_clock::now();
    const auto finish = [started](Exchange& done) {
        done.elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    };

    ICallWaiter* waiter = CurrentWaiter();
    if (waiter == nullptr) {
        exchange->answer = client_->http.send(exchange->request);
        finish(*exchange);
        return exchange;
    }
    // On a worker thread, so the host keeps its windows alive and can offer
    // a cancel. The worker touches only the client and the exchange; both
    // stay alive until it is joined.
    JoinEnded();
    Exchange* running = exchange.get();
    running->request.progress = [running](std::uint64_t received, std::uint64_t /*total*/) {
        running->progress.SetReceived(received);
        return true;
    };
    Client* client = client_.get();
    std::thread worker([client, running, finish] {
        running->answer = client->http.send(running->request);
        finish(*running);
        running->progress.Finish();
    });
    if (waiter->Wait(running->progress)) {
        worker.join();
        return exchange;
    }
    // Abandoned: shut the socket so the worker ends soon, and keep what it
    // uses until it is joined (on a later call or at the connection's end).
    client_->http.stop();
    abandoned_.push_back({std::move(client_), std::move(exchange), std::move(worker)});
    Disconnect();
    Raise(TNetFailure::Cancelled);
}

vcl::Variant TNetConnection::AppServer(std::string_view method, std::vector<TArg> args) {
    // A closed connection opens first, so a screen reopened after a close still works.
    if (TNetFailure failure = TNetFailure::Other; !connected_ && !TryOpen(failure))
        Raise(failure);

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

    // One key per call: a repeat of this call after a lost answer is
    // recognised by the server and not run twice.
    const std::string key = method == contracts::kGeraSaida ? NewIdempotencyKey() : std::string();
    vcl::wire::Answer decoded = Post(method, vcl::wire::EncodeRequest(values), key);
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

std::string TNetConnection::NewIdempotencyKey() {
    std::random_device random;
    std::string key;
    constexpr char kHex[] = "0123456789abcdef";
    for (int word = 0; word < 4; ++word) {
        std::uint32_t bits = random();
        for (int nibble = 0; nibble < 8; ++nibble, bits >>= 4)
            key += kHex[bits & 0xf];
    }
    return key;
}

vcl::wire::Answer TNetConnection::Post(std::string_view method, const std::string& body,
                                       const std::string& idempotencyKey) {
    const auto started = std::chrono::steady_clock::now();
    const auto deadline = started + std::chrono::seconds(TimeoutSeconds);
    const bool mayRepeat = !idempotencyKey.empty() || OnlyReads(method);
    if (TNetFailure failure = TNetFailure::Other; !connected_ && !TryOpen(failure))
        Raise(failure);
    const std::string path = "/" + ServerName + "/" + std::string(method);
    std::unique_ptr<Exchange> exchange;
    for (int attempt = 1;; ++attempt) {
        EnsureClient();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const auto leftSeconds = std::chrono::duration_cast<std::chrono::seconds>(left);
        client_->http.set_read_timeout(
            leftSeconds.count(),
            std::chrono::duration_cast<std::chrono::microseconds>(left - leftSeconds).count());
        httplib::Request request;
        request.method = "POST";
        request.path = path;
        request.body = body;
        request.set_header("Content-Type", "application/json");
        if (!idempotencyKey.empty())
            request.set_header("Idempotency-Key", idempotencyKey);
        if (WantsCompressedAnswers(Host))
            request.set_header("Accept-Encoding", "zstd");
        exchange = Send(std::move(request));
        const httplib::Result& answer = *exchange->answer;
        if (answer)
            break;
        LogTransportError(Name(), ClientKey(), answer.error());
        const bool silent = std::chrono::steady_clock::now() >= deadline - std::chrono::milliseconds(500);
        const TNetFailure failure = FailureOf(answer.error(), silent);
        Disconnect();
        // Sent again only while the deadline leaves time for an answer.
        if (!mayRepeat || !MayRetry(failure) || attempt >= kMaxAttempts ||
            std::chrono::steady_clock::now() + kRetryPause + std::chrono::seconds(1) >= deadline)
            Raise(failure);
        std::this_thread::sleep_for(kRetryPause * attempt);
        connected_ = true;  // its client is made anew at the top of the loop
    }
    const httplib::Result& answer = *exchange->answer;
    if (answer->status == kUnauthorized)
        Raise(TNetFailure::SessionExpired);
    if (answer->status != 200) {
        std::string error = vcl::wire::DecodeError(answer->body);
        if (error.empty())
            error = "Erro " + std::to_string(answer->status) + " do servidor de aplicação em " + path;
        throw vcl::Exception(error);
    }

    const std::string* text = &answer->body;
    std::optional<std::string> plain;
    if (answer->get_header_value("Content-Encoding") == "zstd") {
        plain = DecompressZstd(answer->body);
        if (!plain)
            throw vcl::Exception("Resposta inválida do servidor de aplicação em " + Address() + " (" + path +
                                 ").");
        text = &*plain;
    }
    vcl::wire::Answer decoded;
    try {
        decoded = vcl::wire::DecodeAnswer(*text);
    } catch (const vcl::EWireError&) {
        throw vcl::Exception("Resposta inválida do servidor de aplicação em " + Address() + " (" + path +
                             ").");
    }
    return decoded;
}

}  // namespace vlm
