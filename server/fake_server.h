// A stand-in application server for scenarios and tests: each method answers
// from a queue of replies set beforehand, whatever the arguments.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "server/http_host.h"

namespace server {

class FakeServer {
public:
    explicit FakeServer(bool quiet = true);
    ~FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    int Start(const std::string& host = "127.0.0.1", int port = 0);
    void Stop();
    int Port() const;
    void SetObserver(CallObserver observer);

    // The next answer of METHOD (any known server): `result` as the method
    // returns it, no by-reference values. A call with nothing queued answers
    // 500 "no reply queued for METHOD".
    void QueueReply(const std::string& method, vcl::Variant result);
    // Replies queued and not yet taken, over all methods.
    std::size_t PendingReplies() const;

private:
    class Target;
    std::unique_ptr<Target> target_;
    std::unique_ptr<HttpHost> http_;
};

}  // namespace server
