#include "server/http_host.h"

#include <httplib.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "db/connection.h"
#include "server/call_error.h"
#include "server/failure_log.h"
#include "server/login.h"
#include "server/lookup_query.h"
#include "vcl/exceptions.h"

namespace server {

namespace {

constexpr const char* kJson = "application/json";

double Since(std::chrono::steady_clock::time_point started) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
}

void Reply(httplib::Response& response, int status, std::string body) {
    response.status = status;
    response.set_content(std::move(body), kJson);
}

// The token of "Authorization: Bearer TOKEN"; empty when there is none.
std::string_view BearerToken(const httplib::Request& request) {
    const auto header = request.headers.find("Authorization");
    if (header == request.headers.end())
        return {};
    const std::string_view value = header->second;
    constexpr std::string_view kScheme = "bearer ";
    if (value.size() <= kScheme.size())
        return {};
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(value[i])) != kScheme[i])
            return {};
    }
    return value.substr(kScheme.size());
}

std::unique_ptr<httplib::Server> MakeServer(const HttpOptions& options) {
    if (options.tlsCert.empty() && options.tlsKey.empty())
        return std::make_unique<httplib::Server>();
    if (options.tlsCert.empty() || options.tlsKey.empty())
        throw std::runtime_error("TLS needs both --tls-cert and --tls-key");
    auto server = std::make_unique<httplib::SSLServer>(options.tlsCert.c_str(), options.tlsKey.c_str());
    if (!server->is_valid())
        throw std::runtime_error("cannot load the TLS certificate " + options.tlsCert + " or its key " +
                                 options.tlsKey);
    return server;
}

}  // namespace

HttpHost::HttpHost(CallTarget& target, HttpOptions options)
    : target_(target), options_(std::move(options)), http_(MakeServer(options_)) {
    const std::size_t threads = static_cast<std::size_t>(std::max(1, options_.threads));
    // cpp-httplib takes ownership of the queue it asks for.
    http_->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    http_->set_tcp_nodelay(true);
    // Each open connection holds a worker while it waits for its next
    // request: idle clients give theirs back soon.
    http_->set_keep_alive_timeout(2);
    Install();
}

HttpHost::~HttpHost() {
    Stop();
}

void HttpHost::SetObserver(CallObserver observer) {
    std::lock_guard lock(observerMutex_);
    observer_ = std::move(observer);
}

void HttpHost::Log(std::string_view what, int status, double milliseconds) const {
    if (options_.quiet)
        return;
    std::fprintf(stderr, "%s: %.*s %d %.1f ms\n", options_.name.c_str(), static_cast<int>(what.size()),
                 what.data(), status, milliseconds);
}

std::optional<Caller> HttpHost::CallerOf(const httplib::Request& request) {
    return target_.Identify(BearerToken(request));
}

void HttpHost::Install() {
    // Every POST but /login needs a live session, whatever route serves it.
    http_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        if (request.method != "POST" || request.path == "/login" || CallerOf(request))
            return httplib::Server::HandlerResponse::Unhandled;
        Reply(response, 401, vcl::wire::EncodeError(std::string(kSessionInvalid)));
        Log("POST without a live session", 401, 0);
        return httplib::Server::HandlerResponse::Handled;
    });
    http_->Post("/login", [this](const httplib::Request& request, httplib::Response& response) {
        const auto started = std::chrono::steady_clock::now();
        CallTarget::LoginAnswer answer;
        try {
            answer = target_.Login(request.body, request.remote_addr);
        } catch (const soci::soci_error& e) {
            answer = {500, vcl::wire::EncodeError(DatabaseFailure(e.what())), "database failure"};
        } catch (const db::DbError& e) {
            answer = {500, vcl::wire::EncodeError(DatabaseFailure(e.what())), "database failure"};
        } catch (const std::exception& e) {
            answer = {500, vcl::wire::EncodeError(InternalFailure(e.what())), "internal failure"};
        }
        Reply(response, answer.status, std::move(answer.body));
        Log("login " + answer.outcome, answer.status, Since(started));
    });
    http_->Post("/logout", [this](const httplib::Request& request, httplib::Response& response) {
        target_.Logout(BearerToken(request));
        Reply(response, 200, "{}");
        Log("logout", 200, 0);
    });
    http_->Post(R"(/([^/]+)/([^/]+))", [this](const httplib::Request& request, httplib::Response& response) {
        const auto started = std::chrono::steady_clock::now();
        const std::string server = request.matches[1];
        const std::string method = request.matches[2];
        int status = 200;
        std::string outcome = "ok";
        try {
            // The session may have ended since the check before routing.
            const std::optional<Caller> caller = CallerOf(request);
            if (!caller)
                throw CallError(CallStatus::Unauthorized, std::string(kSessionInvalid));
            if (!target_.KnowsServer(server))
                throw CallError(CallStatus::NotFound, "unknown server " + server);
            if (!target_.KnowsMethod(server, method))
                throw CallError(CallStatus::NotFound, "unknown method " + method + " of " + server);
            // The lookup route has a body of its own; every other call is {"args":[...]}.
            const vcl::VariantArray args = server == kLookupServer ? DecodeLookupRequest(request.body)
                                                                   : vcl::wire::DecodeRequest(request.body);
            CallObserver observer;
            {
                std::lock_guard lock(observerMutex_);
                observer = observer_;
            }
            if (observer)
                observer(server, method, args);
            Reply(response, 200, vcl::wire::EncodeAnswer(target_.Call(server, method, args, *caller)));
        } catch (const CallError& e) {
            status = static_cast<int>(e.Status());
            outcome = e.what();
        } catch (const vcl::EWireError& e) {
            status = 400;
            outcome = std::string("malformed request: ") + e.what();
        } catch (const soci::soci_error& e) {
            status = 500;
            outcome = DatabaseFailure(e.what());
        } catch (const db::DbError& e) {
            status = 500;
            outcome = DatabaseFailure(e.what());
        } catch (const std::exception& e) {
            status = 500;
            outcome = InternalFailure(e.what());
        }
        if (status != 200)
            Reply(response, status, vcl::wire::EncodeError(outcome));
        Log(server + " " + method + " " + outcome, status, Since(started));
    });
    http_->Get("/health", [this](const httplib::Request&, httplib::Response& response) {
        const auto started = std::chrono::steady_clock::now();
        const bool healthy = target_.Healthy();
        Reply(response, healthy ? 200 : 503,
              healthy ? R"({"status":"ok"})" : vcl::wire::EncodeError("database unavailable"));
        Log(healthy ? "health ok" : "health database unavailable", response.status, Since(started));
    });
    http_->Get(R"(/([^/]+))", [this](const httplib::Request& request, httplib::Response& response) {
        const auto started = std::chrono::steady_clock::now();
        const std::string server = request.matches[1];
        if (target_.KnowsServer(server))
            Reply(response, 200, R"({"server":)" + vcl::wire::Encode(vcl::Variant(server)) + "}");
        else
            Reply(response, 404, vcl::wire::EncodeError("unknown server " + server));
        Log(server + " (name check)", response.status, Since(started));
    });
}

int HttpHost::Start(const std::string& host, int port) {
    if (thread_.joinable())
        throw std::runtime_error("the server is already running");
    if (port == 0) {
        port_ = http_->bind_to_any_port(host);
        if (port_ < 0)
            throw std::runtime_error("cannot listen on " + host);
    } else {
        if (!http_->bind_to_port(host, port))
            throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port));
        port_ = port;
    }
    thread_ = std::thread([this] { http_->listen_after_bind(); });
    // stop() only reaches a server that has entered its accept loop.
    while (!http_->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return port_;
}

void HttpHost::Stop() {
    if (!thread_.joinable())
        return;
    http_->stop();
    thread_.join();
}

}  // namespace server
