#include "vlm/http_transport.h"

#include <algorithm>
#include <cctype>

#include "vcl/net_address.h"
#include "vlm/call_wait.h"

namespace vlm {

namespace {

using Clock = std::chrono::steady_clock;

// Larger than libcurl's 16 KB default: a big answer arrives in fewer reads.
constexpr long kReceiveBuffer = 512 * 1024;
// How often a waiting transfer looks at its cancel flag and silence limit
// when nothing wakes it sooner.
constexpr auto kPollStep = std::chrono::milliseconds(200);

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// What one Perform shares with libcurl's callbacks.
struct Transfer {
    Transfer(CURL* handle, THttpReceiver& to, const TTransferLimits& with)
        : easy(handle), receiver(to), limits(with) {}
    CURL* easy;
    THttpReceiver& receiver;
    const TTransferLimits& limits;
    std::string encoding;
    bool started = false;
    bool stopped = false;  // the receiver refused a piece
    std::uint64_t received = 0;
    curl_off_t sent = 0;
    Clock::time_point lastActivity = Clock::now();

    void Begin() {
        if (started)
            return;
        started = true;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        receiver.Start(static_cast<int>(status), encoding);
    }
    bool Cancelled() const { return limits.cancel != nullptr && limits.cancel->load(); }
    bool Silent() const { return Clock::now() - lastActivity >= limits.silence; }
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    transfer.lastActivity = Clock::now();
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        transfer.encoding.clear();  // a new block of headers (after a 1xx)
    } else if (const auto colon = line.find(':'); colon != std::string_view::npos) {
        if (SameLetters(Trimmed(line.substr(0, colon)), "Content-Encoding"))
            transfer.encoding = std::string(Trimmed(line.substr(colon + 1)));
    }
    return size * count;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    transfer.lastActivity = Clock::now();
    transfer.Begin();
    const std::size_t bytes = size * count;
    transfer.received += bytes;
    if (transfer.limits.progress != nullptr)
        transfer.limits.progress->SetReceived(transfer.received);
    if (!transfer.receiver.Receive(std::string_view(data, bytes))) {
        transfer.stopped = true;
        return 0;  // anything short of `bytes` ends the transfer
    }
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
    auto& transfer = *static_cast<Transfer*>(user);
    if (sent != transfer.sent) {
        transfer.sent = sent;
        transfer.lastActivity = Clock::now();
    }
    return transfer.Cancelled() ? 1 : 0;  // non-zero stops the transfer
}

// Whether the request went out: a timeout before that was the connection's.
bool RequestSent(CURL* easy) {
    long bytes = 0;
    return curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &bytes) == CURLE_OK && bytes > 0;
}

TNetFailure FailureOf(CURLcode code, bool requestSent) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
            return TNetFailure::Refused;
        case CURLE_OPERATION_TIMEDOUT:
            return requestSent ? TNetFailure::NoAnswer : TNetFailure::ConnectTimeout;
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            return TNetFailure::ConnectionLost;
        case CURLE_SSL_CONNECT_ERROR:
            return TNetFailure::SecureConnection;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_ISSUER_ERROR:
            return TNetFailure::Certificate;
        case CURLE_ABORTED_BY_CALLBACK:
            return TNetFailure::Cancelled;
        default:
            return TNetFailure::Other;
    }
}

template <class Value>
void Set(CURL* easy, CURLoption option, Value value) {
    curl_easy_setopt(easy, option, value);
}

}  // namespace

std::string BaseUrl(const std::string& host, int port, bool tls) {
    const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return (tls ? "https://" : "http://") + shown + ":" + std::to_string(port);
}

THttpClient::THttpClient(const std::string& host, int port, bool tls, const std::string& caFile)
    : multi_(MakeCurlMulti()),
      easy_(MakeCurlEasy()),
      base_(BaseUrl(host, port, tls)),
      caFile_(caFile),
      tls_(tls),
      loopback_(vcl::IsLoopbackHost(host)) {}

void THttpClient::Wake() {
    curl_multi_wakeup(multi_.get());
}

THttpOutcome THttpClient::Perform(const THttpRequest& request, THttpReceiver& receiver,
                                  const TTransferLimits& limits) {
    CURL* easy = easy_.get();
    Transfer transfer(easy, receiver, limits);
    // Kept by the client: libcurl holds on to the list until the next request.
    headers_ = CurlHeaderList();
    for (const auto& [name, value] : request.headers)
        headers_.Add(name + ": " + value);
    if (!token_.empty())
        headers_.Add("Authorization: Bearer " + token_);
    headers_.Add("Expect:");  // the body goes at once, without waiting for a 100 Continue

    const std::string url = base_ + request.path;
    Set(easy, CURLOPT_URL, url.c_str());
    Set(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    Set(easy, CURLOPT_NOSIGNAL, 1L);
    Set(easy, CURLOPT_TCP_NODELAY, 1L);
    Set(easy, CURLOPT_FOLLOWLOCATION, 0L);
    Set(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    Set(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min(limits.connect, limits.silence).count()));
    if (loopback_)
        Set(easy, CURLOPT_NOPROXY, "*");
    if (request.method == "POST") {
        Set(easy, CURLOPT_POST, 1L);
        Set(easy, CURLOPT_POSTFIELDS, request.body.data());
        Set(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    } else {
        Set(easy, CURLOPT_HTTPGET, 1L);
    }
    Set(easy, CURLOPT_HTTPHEADER, headers_.Get());
    if (tls_) {
        Set(easy, CURLOPT_SSL_VERIFYPEER, 1L);
        Set(easy, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!caFile_.empty())
            Set(easy, CURLOPT_CAINFO, caFile_.c_str());
    }
    Set(easy, CURLOPT_HEADERFUNCTION, &OnHeader);
    Set(easy, CURLOPT_HEADERDATA, &transfer);
    Set(easy, CURLOPT_WRITEFUNCTION, &OnBody);
    Set(easy, CURLOPT_WRITEDATA, &transfer);
    Set(easy, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    Set(easy, CURLOPT_XFERINFODATA, &transfer);
    Set(easy, CURLOPT_NOPROGRESS, 0L);

    THttpOutcome outcome;
    const CurlTransfer running(multi_.get(), easy);
    if (!running.Added()) {
        outcome.failure = TNetFailure::Other;
        outcome.detail = "curl_multi_add_handle failed";
        return outcome;
    }
    std::optional<CURLcode> result;
    bool silent = false;
    while (!result) {
        int active = 0;
        if (const CURLMcode code = curl_multi_perform(multi_.get(), &active); code != CURLM_OK) {
            outcome.failure = TNetFailure::Other;
            outcome.detail = curl_multi_strerror(code);
            return outcome;
        }
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(multi_.get(), &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                result = message->data.result;
        }
        if (result)
            break;
        if (transfer.Cancelled()) {
            result = CURLE_ABORTED_BY_CALLBACK;
        } else if (transfer.Silent()) {
            silent = true;
            result = CURLE_OPERATION_TIMEDOUT;
        } else {
            const auto quiet = limits.silence - (Clock::now() - transfer.lastActivity);
            const auto wait = std::clamp(std::chrono::duration_cast<std::chrono::milliseconds>(quiet),
                                         std::chrono::milliseconds(1), kPollStep);
            curl_multi_poll(multi_.get(), nullptr, 0, static_cast<int>(wait.count()), nullptr);
        }
    }
    // A transfer ended early leaves its connection unusable; libcurl closes
    // it when the handle leaves the multi handle (`running` going out of scope).
    const bool sent = RequestSent(easy);
    if (*result == CURLE_OK) {
        transfer.Begin();  // an empty body still has a status
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        outcome.status = static_cast<int>(status);
        return outcome;
    }
    if (*result == CURLE_WRITE_ERROR && transfer.stopped) {
        outcome.stoppedByReceiver = true;
        outcome.detail = "the answer was refused while it arrived";
        return outcome;
    }
    if (transfer.Cancelled()) {
        outcome.failure = TNetFailure::Cancelled;
        outcome.detail = "cancelled";
        return outcome;
    }
    outcome.failure = FailureOf(*result, sent);
    outcome.detail = silent ? std::string("the server was silent too long") : curl_easy_strerror(*result);
    return outcome;
}

}  // namespace vlm
