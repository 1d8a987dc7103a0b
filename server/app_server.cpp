#include "server/app_server.h"

#include "server/call_error.h"
#include "server/dispatch.h"
#include "server/lookup_query.h"

namespace server {

class AppServer::Target : public CallTarget {
public:
    Target(std::string connect, std::size_t sessions) : pool_(std::move(connect), sessions) {}

    bool KnowsServer(std::string_view server) const override {
        return IsKnownServer(server) || server == kLookupServer;
    }
    bool KnowsMethod(std::string_view server, std::string_view method) const override {
        return IsKnownMethod(server, method) || (server == kLookupServer && method == kLookupMethod);
    }

    vcl::wire::Answer Call(std::string_view server, std::string_view method,
                           const vcl::VariantArray& args) override {
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
        return Dispatch(*session, server, method, args);
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

private:
    SessionPool::Lease Acquire() {
        try {
            return pool_.Acquire();
        } catch (const db::DbError& e) {
            throw CallError(CallStatus::Internal, e.what());
        }
    }

    SessionPool pool_;
};

AppServer::AppServer(std::string connect, AppServerOptions options)
    : target_(std::make_unique<Target>(std::move(connect),
                                       static_cast<std::size_t>(std::max(1, options.threads)))),
      http_(std::make_unique<HttpHost>(*target_, HttpOptions{options.threads, options.quiet, "zrm-server"})) {
}

AppServer::~AppServer() {
    http_->stop();
}

int AppServer::start(const std::string& host, int port) {
    return http_->start(host, port);
}
void AppServer::stop() {
    http_->stop();
}
int AppServer::port() const {
    return http_->port();
}
void AppServer::setObserver(CallObserver observer) {
    http_->setObserver(std::move(observer));
}

}  // namespace server
