// What the HTTP routes serve: the remote data modules, sessions and health
// of a server, whatever transport carries the requests.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "server/caller.h"
#include "vcl/variant.h"
#include "vcl/wire.h"

namespace server {

class AnswerOutput;

// Called for every well-formed call (known server and method, decoded
// arguments) before it runs; from the worker thread that runs it.
using CallObserver =
    std::function<void(std::string_view server, std::string_view method, const vcl::VariantArray& args)>;

// What GET /health reports.
struct HealthReport {
    bool ok = false;
    int schema = 0;        // the version found
    std::string db;        // "sqlite", "postgresql"
    std::string reason;    // why not ok, for the client (Portuguese, no detail)
    std::string detail{};  // why not ok, for the log
};

// A call may carry an idempotency key: the target answers a repeated key
// from its store.
// A method that can stream writes its answer to `output` when given one.
struct CallContext {
    std::string_view idempotencyKey{};
    std::string_view body{};  // the request's body as sent, to compare a repeated key with
    AnswerOutput* output = nullptr;
};

class CallTarget {
public:
    virtual ~CallTarget() = default;
    virtual bool KnowsServer(std::string_view server) const = 0;
    virtual bool KnowsMethod(std::string_view server, std::string_view method) const = 0;
    // Raises CallError for a failure with its own status; any other
    // exception answers 500.
    virtual vcl::wire::Answer Call(std::string_view server, std::string_view method,
                                   const vcl::VariantArray& args, const Caller& caller,
                                   const CallContext& context) = 0;
    virtual HealthReport Health() = 0;

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

}  // namespace server
