#include "server/fake_server.h"

#include "contracts/server_api.h"
#include "server/call_error.h"
#include "server/dispatch.h"

namespace server {

class FakeServer::Target : public CallTarget {
public:
    bool KnowsServer(std::string_view server) const override { return IsKnownServer(server); }
    // Any method of a known server: the queue decides what it answers.
    bool KnowsMethod(std::string_view, std::string_view) const override { return true; }

    vcl::wire::Answer Call(std::string_view, std::string_view method, const vcl::VariantArray&, const Caller&,
                           const CallContext&) override {
        std::lock_guard lock(mutex_);
        auto queue = replies_.find(std::string(method));
        if (queue == replies_.end() || queue->second.empty())
            throw CallError(CallStatus::Internal, "no reply queued for " + std::string(method));
        vcl::wire::Answer answer;
        answer.result = std::move(queue->second.front());
        queue->second.pop_front();
        return answer;
    }

    HealthReport Health() override { return {true, 0, "fake", "", ""}; }

    // A stand-in has no accounts: any caller, with or without a token, is
    // the local user.
    std::optional<Caller> Identify(std::string_view) override { return LocalCaller("0001"); }
    LoginAnswer Login(std::string_view, std::string_view) override {
        return {404, R"({"error":"login not supported by the fake server"})", "no login"};
    }
    void Logout(std::string_view) override {}

    void Queue(const std::string& method, vcl::Variant result) {
        std::lock_guard lock(mutex_);
        replies_[method].push_back(std::move(result));
    }

    std::size_t Pending() const {
        std::lock_guard lock(mutex_);
        std::size_t count = 0;
        for (const auto& [method, queue] : replies_)
            count += queue.size();
        return count;
    }

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::deque<vcl::Variant>> replies_;
};

FakeServer::FakeServer(bool quiet)
    : target_(std::make_unique<Target>()),
      http_(std::make_unique<HttpHost>(*target_, HttpOptions{4, quiet, "zrm-fake-server", {}, {}})) {}

FakeServer::~FakeServer() {
    http_->Stop();
}

int FakeServer::Start(const std::string& host, int port) {
    return http_->Start(host, port);
}
void FakeServer::Stop() {
    http_->Stop();
}
int FakeServer::Port() const {
    return http_->Port();
}
void FakeServer::SetObserver(CallObserver observer) {
    http_->SetObserver(std::move(observer));
}
void FakeServer::QueueReply(const std::string& method, vcl::Variant result) {
    target_->Queue(method, std::move(result));
}
std::size_t FakeServer::PendingReplies() const {
    return target_->Pending();
}

}  // namespace server
