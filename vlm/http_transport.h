// The host's HTTP client (libcurl): one kept-alive connection per client,
// certificate checks, a silence limit, cancelling, answers handed over piece
// by piece as they arrive, and what a transport failure means to the user.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vlm/curl_handles.h"
#include "vlm/net_failure.h"

namespace vlm {

class TCallProgress;

// "https://[::1]:8211": an IPv6 host in brackets.
std::string BaseUrl(const std::string& host, int port, bool tls);

struct THttpRequest {
    std::string method = "GET";  // GET or POST
    std::string path;
    std::string body;  // POST only
    std::vector<std::pair<std::string, std::string>> headers;
};

// Takes an answer as it arrives.
class THttpReceiver {
public:
    virtual ~THttpReceiver() = default;
    // The status and Content-Encoding, once, before the first piece of the body.
    virtual void Start(int status, std::string_view contentEncoding) = 0;
    // A piece of the body; false stops the transfer.
    virtual bool Receive(std::string_view piece) = 0;
};

// A receiver that keeps the whole body, up to a limit.
class TBodyCollector : public THttpReceiver {
public:
    explicit TBodyCollector(std::size_t limit = std::size_t{1} << 20) : limit_(limit) {}
    void Start(int status, std::string_view contentEncoding) override {
        this->status = status;
        encoding = std::string(contentEncoding);
    }
    bool Receive(std::string_view piece) override {
        if (body.size() + piece.size() > limit_)
            return false;
        body.append(piece);
        return true;
    }
    int status = 0;
    std::string encoding;
    std::string body;

private:
    std::size_t limit_;
};

// What became of one request: an answer (of any status), a transport
// failure, or a transfer the receiver stopped.
struct THttpOutcome {
    std::optional<TNetFailure> failure;
    bool stoppedByReceiver = false;
    int status = 0;
    std::string detail;  // the transport's own words, for the log only
    bool Answered() const { return !failure && !stoppedByReceiver; }
};

// How long a request may take and who may stop it.
struct TTransferLimits {
    // The server may be silent (nothing sent, nothing received) this long.
    std::chrono::milliseconds silence{std::chrono::seconds(60)};
    std::chrono::milliseconds connect{std::chrono::seconds(10)};
    const std::atomic<bool>* cancel = nullptr;  // set from another thread to stop the transfer
    TCallProgress* progress = nullptr;          // fed with the bytes received on the wire
};

// One server, one kept-alive connection (reopened when the server closed
// it). With TLS the certificate is checked against the system's
// authorities, or against caFile when given, and must name the host.
// Perform runs on one thread at a time; Wake may be called from any thread.
class THttpClient {
public:
    THttpClient(const std::string& host, int port, bool tls, const std::string& caFile);
    void SetBearerToken(const std::string& token) { token_ = token; }

    THttpOutcome Perform(const THttpRequest& request, THttpReceiver& receiver, const TTransferLimits& limits);
    // Makes a Perform waiting on the network look at its cancel flag now.
    void Wake();

private:
    CurlHeaderList headers_;  // outlives the easy handle that points to it
    CurlMulti multi_;
    CurlEasy easy_;
    std::string base_;
    std::string caFile_;
    std::string token_;
    bool tls_;
    bool loopback_;
};

}  // namespace vlm
