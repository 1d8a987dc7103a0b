#include "server/app_server.h"

#include "server/accounts.h"
#include "server/call_error.h"
#include "server/dispatch.h"
#include "server/failure_log.h"
#include "server/login.h"
#include "server/lookup_query.h"

namespace server {

class AppServer::Target : public CallTarget {
public:
    Target(std::string connect, std::size_t sessions, std::chrono::seconds idle)
        : pool_(std::move(connect), sessions),
          sessions_(idle),
          login_(sessions_, throttle_, [this](const std::string& user) {
              SessionPool::Lease session = Acquire();
              return FindAccount(*session, user);
          }) {}

    bool KnowsServer(std::string_view server) const override {
        return IsKnownServer(server) || server == kLookupServer;
    }
    bool KnowsMethod(std::string_view server, std::string_view method) const override {
        return IsKnownMethod(server, method) || (server == kLookupServer && method == kLookupMethod);
    }

    vcl::wire::Answer Call(std::string_view server, std::string_view method, const vcl::VariantArray& args,
                           const Caller& caller) override {
        SessionPool::Lease session = Acquire();
        // A session whose connection dropped is closed, not reused: the
        // next call opens a fresh one.
        struct DropIfBroken {
            SessionPool::Lease& lease;
            ~DropIfBroken() {
                if (!lease->is_connected())
                    lease.Discard();
            }
        } guard{session};
        if (server == kLookupServer)
            return RunLookup(*session, args);
        return Dispatch(*session, server, method, args, caller);
    }

    bool Healthy() override {
        try {
            SessionPool::Lease session = pool_.Acquire();
            try {
                int one = 0;
                *session << "SELECT 1", soci::into(one);
                return one == 1;
            } catch (const soci::soci_error&) {
                session.Discard();
                return false;
            }
        } catch (const db::DbError&) {
            return false;
        }
    }

    std::optional<Caller> Identify(std::string_view token) override { return sessions_.Find(token); }
    LoginAnswer Login(std::string_view body, std::string_view peer) override {
        LoginResult result = login_.Login(body, peer);
        return {result.status, std::move(result.body), std::move(result.outcome)};
    }
    void Logout(std::string_view token) override { sessions_.Close(token); }

    std::string OpenSession(Caller caller) { return sessions_.Open(std::move(caller)).token; }

private:
    SessionPool::Lease Acquire() {
        try {
            return pool_.Acquire();
        } catch (const db::DbError& e) {
            throw CallError(CallStatus::Internal, DatabaseFailure(e.what()));
        }
    }

    SessionPool pool_;
    SessionStore sessions_;
    LoginThrottle throttle_;
    LoginService login_;
};

AppServer::AppServer(std::string connect, AppServerOptions options)
    : target_(std::make_unique<Target>(
          std::move(connect), static_cast<std::size_t>(std::max(1, options.threads)), options.sessionIdle)),
      http_(std::make_unique<HttpHost>(*target_, HttpOptions{options.threads, options.quiet, "zrm-server",
                                                             options.tlsCert, options.tlsKey})) {}

AppServer::~AppServer() {
    http_->Stop();
}

int AppServer::Start(const std::string& host, int port) {
    return http_->Start(host, port);
}
void AppServer::Stop() {
    http_->Stop();
}
int AppServer::Port() const {
    return http_->Port();
}
void AppServer::SetObserver(CallObserver observer) {
    http_->SetObserver(std::move(observer));
}
std::string AppServer::OpenSession(Caller caller) {
    return target_->OpenSession(std::move(caller));
}

}  // namespace server
