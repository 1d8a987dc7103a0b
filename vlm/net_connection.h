// Connection to a remote data module of the application server, over HTTP:
// POST /{ServerName}/{method} with {"args":[...]}; the answer carries the
// result and the final values of by-reference arguments.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vcl/component.h"
#include "vcl/variant.h"
#include "vcl/wire.h"
#include "vlm/http_transport.h"
#include "vlm/net_failure.h"
#include "vlm/server_access.h"

namespace vlm {

class ICallWaiter;

// One argument of a late-bound call: a value, or the caller's string passed
// by reference (the server's final value is written back into it).
using TArg = std::variant<vcl::Variant, std::string*>;

// Observes every call made: method and argument values (a by-reference
// argument as the string's value when sent).
using TCallEvent =
    std::function<void(std::string_view serverName, std::string_view method, const vcl::VariantArray& args)>;

class TNetConnection : public vcl::TComponent {
public:
    TNetConnection(vcl::TComponent* owner, std::string name);
    ~TNetConnection() override;

    std::string ServerName;  // "zrm90000.rdmRemessaAnalise"
    std::string Host = "127.0.0.1";
    int Port = 0;
    // Whether a connection that cannot open raises; when false it stays closed silently.
    bool ThrowException = true;
    int TimeoutSeconds = 60;
    // TLS, trusted authority and session token. A connection owned (at any
    // depth) by a host form takes them from the host's configuration each
    // time it opens.
    TServerAccess Access;
    // Runs each time before the connection opens (may set Host and Port).
    vcl::TNotifyEvent BeforeConnect;
    TCallEvent OnCall;
    // How a call is waited for: this waiter, else the host's (of the form
    // that owns the connection), else in line. With a waiter the request runs
    // on a thread of its own and the user may abandon it: the transfer stops
    // at once and the call raises "Operação cancelada pelo usuário".
    ICallWaiter* Waiter = nullptr;

    bool Connected() const { return connected_; }
    // true: runs BeforeConnect, then checks that the server answers
    // (GET /health); false: closes. Opening an open connection does nothing.
    void SetConnected(bool connected);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    // Calls a method of the remote data module and returns its result. A
    // closed connection is opened first; one that cannot open raises
    // vcl::Exception naming host and port. A server error (400/404/500)
    // raises vcl::Exception with the server's text; a malformed answer
    // raises vcl::Exception saying so. Transport failures say in Portuguese
    // what happened, naming host and port (NetFailureText).
    vcl::Variant AppServer(std::string_view method, std::vector<TArg> args);

    // Posts a JSON body of the caller's to /{ServerName}/{method} and
    // decodes the answer, failing as AppServer does. A call whose
    // connection failed or whose answer was lost is sent again, within
    // TimeoutSeconds of its start, when that is safe: the method only reads
    // (getNotasFiscais, getSerie, query), or the call carries an
    // idempotency key, sent as the Idempotency-Key header so that the
    // server answers a repeat from what it stored. AppServer gives each
    // GeraSaida call a key of its own.
    vcl::wire::Answer Post(std::string_view method, const std::string& body,
                           const std::string& idempotencyKey = {});

    // 128 random bits in hex.
    static std::string NewIdempotencyKey();

private:
    struct Client;
    std::unique_ptr<Client> client_;
    bool connected_ = false;
    std::string ClientKey() const;
    std::string Address() const;
    std::string ShownServer() const;
    void TakeHostAccess();
    void EnsureClient();
    bool TryOpen(TNetFailure& failure);
    ICallWaiter* CurrentWaiter() const;
    // Sends the request, in line or on a worker the waiter watches, with
    // `silence` as the longest the server may say nothing; raises the cancel
    // failure when the user abandons the call.
    THttpOutcome Send(const THttpRequest& request, THttpReceiver& receiver,
                      std::chrono::milliseconds silence);
    void Disconnect();
    [[noreturn]] void Raise(TNetFailure failure) const;
};

}  // namespace vlm
