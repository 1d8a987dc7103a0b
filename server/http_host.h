// The HTTP side of a server: routes POST /{server}/{method} with body
// {"args":[...]} to a call target, answers POST /login, POST /logout,
// GET /{server} and GET /health, and logs one line per request. Every POST
// but /login needs a live session's bearer token. Runs cpp-httplib's
// thread-pooled server (HTTPS when given a certificate) on a thread of its
// own.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "server/caller.h"
#include "vcl/variant.h"
#include "vcl/wire.h"

namespace httplib {
class Server;
struct Request;
}  // namespace httplib

namespace server {

// Called for every well-formed call (known server and method, decoded
// arguments) before it runs; from the worker thread that runs it.
using CallObserver =
    std::function<void(std::string_view server, std::string_view method, const vcl::VariantArray& args)>;

class CallTarget {
public:
    virtual ~CallTarget() = default;
    virtual bool KnowsServer(std::string_view server) const = 0;
    virtual bool KnowsMethod(std::string_view server, std::string_view method) const = 0;
    // Raises CallError for a failure with its own status; any other
    // exception answers 500.
    virtual vcl::wire::Answer Call(std::string_view server, std::string_view method,
                                   const vcl::VariantArray& args, const Caller& caller) = 0;
    virtual bool Healthy() = 0;

    // The caller a bearer token stands for; nullopt answers 401.
    virtual std::optional<Caller> Identify(std::string_view token) = 0;
    struct LoginAnswer {
        int status = 0;
        std::string body;
        std::string outcome;  // for the log
    };
    virtual LoginAnswer Login(std::string_view body, std::string_view peer) = 0;
    virtual void Logout(std::string_view token) = 0;
};

struct HttpOptions {
    int threads = 8;
    bool quiet = false;               // no log line per request
    std::string name = "zrm-server";  // prefix of the log lines
    // PEM files: both given, the server speaks HTTPS only.
    std::string tlsCert{};
    std::string tlsKey{};
};

class HttpHost {
public:
    HttpHost(CallTarget& target, HttpOptions options);
    ~HttpHost();
    HttpHost(const HttpHost&) = delete;
    HttpHost& operator=(const HttpHost&) = delete;

    // Binds and starts serving; returns the bound port (a free one for 0).
    // std::runtime_error when the address cannot be bound. The constructor
    // raises it when the certificate or key cannot be loaded.
    int Start(const std::string& host, int port);
    void Stop();
    int Port() const { return port_; }

    void SetObserver(CallObserver observer);

private:
    void Install();
    std::optional<Caller> CallerOf(const httplib::Request& request);
    void Log(std::string_view what, int status, double milliseconds) const;

    CallTarget& target_;
    HttpOptions options_;
    std::unique_ptr<httplib::Server> http_;
    std::thread thread_;
    int port_ = 0;
    std::mutex observerMutex_;
    CallObserver observer_;
};

}  // namespace server
