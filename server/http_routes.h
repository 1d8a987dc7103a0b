// The server's routes: POST /{server}/{method} with {"args":[...]} to a call
// target, POST /login, POST /logout, GET /{server} and GET /health. Every
// POST but /login needs a live session's bearer token. A known path asked
// with another verb gets 405; every refusal has a JSON body {"error":"..."}.
// The body is read as JSON whatever its Content-Type says.
#pragma once

#include <mutex>

#include "server/call_target.h"
#include "server/http_exchange.h"

namespace server {

class HttpRoutes {
public:
    explicit HttpRoutes(CallTarget& target) : target_(target) {}

    // Runs on a worker thread; never throws.
    HttpResponse Handle(const HttpRequest& request);

    void SetObserver(CallObserver observer);

private:
    HttpResponse Call(const HttpRequest& request, const std::string& server, const std::string& method);
    HttpResponse Login(const HttpRequest& request);
    HttpResponse Health();
    CallObserver Observer();

    CallTarget& target_;
    std::mutex observerMutex_;
    CallObserver observer_;
};

// How a method's answer reads in the log: GeraSaida's status ("OK", "N" or
// the refusal); for the methods answering [error, payload], "OK" or the error.
std::string OutcomeOf(std::string_view method, const vcl::wire::Answer& answer);

}  // namespace server
