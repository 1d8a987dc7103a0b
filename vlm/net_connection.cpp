#include "vlm/net_connection.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <iostream>
#include <random>
#include <thread>

#include "contracts/server_api.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"
#include "vlm/answer_decoding.h"
#include "vlm/call_wait.h"
#include "vlm/host_form.h"
#include "vlm/http_transport.h"

namespace vlm {

namespace {

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
void LogTransportError(const std::string& connection, const std::string& server, const std::string& detail) {
    std::cerr << connection << ": " << server << ": " << detail << '\n';
}

}  // namespace

// --- Transport: plain or TLS client, bearer token ---

struct TNetConnection::Client {
    Client(const std::string& host, int port, const TServerAccess& access, std::string clientKey)
        : http(host, port, access.tls, access.caFile), key(std::move(clientKey)) {
        http.SetBearerToken(access.token);
    }
    THttpClient http;
    std::string key;
};

TNetConnection::TNetConnection(vcl::TComponent* owner, std::string name)
    : vcl::TComponent(owner, std::move(name)) {}

TNetConnection::~TNetConnection() = default;

std::string TNetConnection::Address() const {
    return Host + ":" + std::to_string(Port);
}

// A client is rebuilt when anything it was made with changes. Holds the
// token: never shown.
std::string TNetConnection::ClientKey() const {
    return std::string(Access.tls ? "https " : "http ") + Address() + " " + Access.caFile + " " +
           Access.token;
}

// What the log may show of the client: no token.
std::string TNetConnection::ShownServer() const {
    return std::string(Access.tls ? "https://" : "http://") + Address();
}

void TNetConnection::EnsureClient() {
    if (!client_ || client_->key != ClientKey())
        client_ = std::make_unique<Client>(Host, Port, Access, ClientKey());
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
    THttpRequest health;
    health.path = "/health";
    TBodyCollector answer(64 * 1024);
    const THttpOutcome outcome = Send(health, answer, std::chrono::seconds(TimeoutSeconds));
    if (outcome.Answered()) {
        if (outcome.status == 200) {
            connected_ = true;
            return true;
        }
        failure = outcome.status == kUnauthorized ? TNetFailure::SessionExpired : TNetFailure::Unavailable;
    } else {
        LogTransportError(Name(), ShownServer(), outcome.detail);
        failure = outcome.failure.value_or(TNetFailure::Unavailable);
    }
    client_.reset();
    return false;
}

THttpOutcome TNetConnection::Send(const THttpRequest& request, THttpReceiver& receiver,
                                  std::chrono::milliseconds silence) {
    TTransferLimits limits;
    limits.silence = silence;
    limits.connect = std::min<std::chrono::milliseconds>(silence, std::chrono::seconds(10));
    THttpClient& http = client_->http;
    ICallWaiter* waiter = CurrentWaiter();
    if (waiter == nullptr)
        return http.Perform(request, receiver, limits);

    // On a worker thread, so the host keeps its windows alive and can offer
    // a cancel; the worker is always joined before this returns.
    TCallProgress progress;
    std::atomic<bool> cancel{false};
    limits.progress = &progress;
    limits.cancel = &cancel;
    THttpOutcome outcome;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            outcome = http.Perform(request, receiver, limits);
        } catch (const std::exception&) {
            error = std::current_exception();
        }
        progress.Finish();
    });
    const bool waited = waiter->Wait(progress);
    if (!waited) {
        cancel = true;
        http.Wake();
    }
    worker.join();
    if (error)
        std::rethrow_exception(error);
    if (!waited) {
        Disconnect();
        Raise(TNetFailure::Cancelled);
    }
    return outcome;
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
    const auto invalidAnswer = [&] {
        return vcl::Exception("Resposta inválida do servidor de aplicação em " + Address() + " (" + path +
                              ").");
    };
    THttpRequest request;
    request.method = "POST";
    request.path = path;
    request.body = body;
    request.headers.emplace_back("Content-Type", "application/json");
    if (!idempotencyKey.empty())
        request.headers.emplace_back("Idempotency-Key", idempotencyKey);
    if (WantsCompressedAnswers(Host))
        request.headers.emplace_back("Accept-Encoding", "zstd");

    std::unique_ptr<TAnswerReceiver> answer;
    for (int attempt = 1;; ++attempt) {
        EnsureClient();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        answer = std::make_unique<TAnswerReceiver>();
        const THttpOutcome outcome = Send(request, *answer, std::max(left, std::chrono::milliseconds(1)));
        if (outcome.Answered())
            break;
        LogTransportError(Name(), ShownServer(), outcome.detail);
        if (outcome.stoppedByReceiver)
            throw invalidAnswer();
        const TNetFailure failure = *outcome.failure;
        Disconnect();
        // Sent again only while the deadline leaves time for an answer.
        if (!mayRepeat || !MayRetry(failure) || attempt >= kMaxAttempts ||
            std::chrono::steady_clock::now() + kRetryPause + std::chrono::seconds(1) >= deadline)
            Raise(failure);
        std::this_thread::sleep_for(kRetryPause * attempt);
        connected_ = true;  // its client is made anew at the top of the loop
    }
    if (answer->Status() == kUnauthorized)
        Raise(TNetFailure::SessionExpired);
    if (answer->Status() != 200) {
        std::string error = vcl::wire::DecodeError(answer->ErrorBody());
        if (error.empty())
            error = "Erro " + std::to_string(answer->Status()) + " do servidor de aplicação em " + path;
        throw vcl::Exception(error);
    }
    try {
        return answer->Finish();
    } catch (const vcl::EWireError& error) {
        LogTransportError(Name(), ShownServer(), error.what());
        throw invalidAnswer();
    }
}

}  // namespace vlm
