#include "server/app_server.h"

#include <atomic>

#include "contracts/server_api.h"
#include "db/schema_version.h"
#include "server/accounts.h"
#include "server/call_error.h"
#include "server/dispatch.h"
#include "server/failure_log.h"
#include "server/http_routes.h"
#include "server/idempotency.h"
#include "server/login.h"
#include "server/lookup_query.h"

namespace server {

namespace {

constexpr auto kPurgeEvery = std::chrono::hours(1);
// How long the health check waits for the write lock: a busy database is
// not an unhealthy one.
constexpr auto kHealthWait = std::chrono::seconds(5);

// Whether the call that holds `lease` recorded a failure: its session may
// be read-only, broken or in a state of its own, and is not reused.
class DiscardOnFailure {
public:
    explicit DiscardOnFailure(SessionPool::Lease& lease)
        : lease_(lease), scope_(FailureScope::Current()), failedBefore_(scope_ && scope_->Failed()) {}
    ~DiscardOnFailure() {
        if (!lease_->is_connected() || (scope_ && scope_->Failed() && !failedBefore_))
            lease_.Discard();
    }
    DiscardOnFailure(const DiscardOnFailure&) = delete;
    DiscardOnFailure& operator=(const DiscardOnFailure&) = delete;

private:
    SessionPool::Lease& lease_;
    const FailureScope* scope_;
    bool failedBefore_;
};

}  // namespace

class AppServer::Target : public CallTarget {
public:
    Target(std::string connect, std::size_t sessions, std::chrono::seconds idle,
           std::chrono::milliseconds callTimeout)
        : pool_(std::move(connect), sessions),
          sessions_(idle),
          login_(sessions_, throttle_,
                 [this](const std::string& user) {
                     SessionPool::Lease session = Acquire();
                     try {
                         return FindAccount(*session, user);
                     } catch (const soci::soci_error&) {
                         session.Discard();
                         throw;
                     }
                 }),
          callTimeout_(callTimeout) {}

    bool KnowsServer(std::string_view server) const override {
        return IsKnownServer(server) || server == kLookupServer;
    }
    bool KnowsMethod(std::string_view server, std::string_view method) const override {
        return IsKnownMethod(server, method) || (server == kLookupServer && method == kLookupMethod);
    }

    vcl::wire::Answer Call(std::string_view server, std::string_view method, const vcl::VariantArray& args,
                           const Caller& caller, const CallContext& context) override {
        CallGuard guard;
        guard.deadline = CallGuard::Clock::now() + callTimeout_;
        SessionPool::Lease session = Acquire();
        DiscardOnFailure discard(session);
        try {
            db::LimitWaits(*session, callTimeout_);
            if (server == kLookupServer)
                return RunLookup(*session, args);
            const bool keyed = method == contracts::kGeraSaida && !context.idempotencyKey.empty();
            if (!keyed)
                return Dispatch(*session, server, method, args, caller, guard, context.output);
            return KeyedCall(*session, server, method, args, caller, context, guard);
        } catch (const soci::soci_error&) {
            session.Discard();
            throw;
        } catch (const db::DbError&) {
            session.Discard();
            throw;
        }
    }

    HealthReport Health() override {
        HealthReport report;
        try {
            SessionPool::Lease session = pool_.Acquire();
            try {
                report.db = db::BackendOf(*session) == db::Backend::Sqlite ? "sqlite" : "postgresql";
                db::LimitWaits(*session, kHealthWait);
                report.schema = db::SchemaVersion(*session);
                if (report.schema != db::kSchemaVersion) {
                    report.reason = "Esquema do banco de dados na versão " + std::to_string(report.schema) +
                                    "; este servidor usa a versão " + std::to_string(db::kSchemaVersion);
                    return report;
                }
                ProbeWrite(*session);
                report.ok = true;
            } catch (const soci::soci_error& e) {
                session.Discard();
                report.reason = "Banco de dados não aceita gravações";
                report.detail = e.what();
            } catch (const db::DbError& e) {
                session.Discard();
                report.reason = "Banco de dados inacessível";
                report.detail = e.what();
            }
        } catch (const db::DbError& e) {
            report.reason = "Banco de dados inacessível";
            report.detail = e.what();
        }
        return report;
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

    // A call with an idempotency key: a key already stored answers what it
    // stored (422 when the request differs); else the call runs and its
    // answer is stored in its own transaction.
    vcl::wire::Answer KeyedCall(soci::session& session, std::string_view server, std::string_view method,
                                const vcl::VariantArray& args, const Caller& caller,
                                const CallContext& context, CallGuard& guard) {
        const std::string key(context.idempotencyKey);
        if (!IsValidIdempotencyKey(key))
            BadRequest("Idempotency-Key inválida: até 64 letras, dígitos ou '-'");
        const std::string hash = RequestHash(context.body);
        if (auto stored = FindStoredAnswer(session, caller.user, key)) {
            if (stored->requestHash != hash)
                throw CallError(CallStatus::Unprocessable,
                                "Chave de idempotência já usada em outro pedido; nada foi executado");
            return vcl::wire::DecodeAnswer(stored->answer);
        }
        // Inside the remittance's transaction, which holds the write lock already.
        guard.keep = [&](soci::session& transaction, const vcl::wire::Answer& answer) {
            PurgeWhenDue(transaction);
            StoreAnswer(transaction, caller.user, key, hash, vcl::wire::EncodeAnswer(answer));
        };
        vcl::wire::Answer answer = Dispatch(session, server, method, args, caller, guard);
        // The same request may have been running twice at once: the one that
        // lost finds what the other stored.
        if (OutcomeOf(method, answer) != "OK") {
            if (auto stored = FindStoredAnswer(session, caller.user, key);
                stored && stored->requestHash == hash)
                return vcl::wire::DecodeAnswer(stored->answer);
        }
        return answer;
    }

    void PurgeWhenDue(soci::session& session) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        auto last = lastPurge_.load();
        if (last != 0 && now - last < std::chrono::steady_clock::duration(kPurgeEvery).count())
            return;
        if (lastPurge_.compare_exchange_strong(last, now))
            PurgeOldKeys(session);
    }

    // A write transaction can begin and write: a read-only file or
    // database, or one whose locks cannot be taken, fails here.
    static void ProbeWrite(soci::session& session) {
        db::WriteTransaction transaction(session);
        session << "UPDATE VERSAOESQUEMA SET NRVERSAO = NRVERSAO WHERE NRVERSAO < 0";
    }

    SessionPool pool_;
    SessionStore sessions_;
    LoginThrottle throttle_;
    LoginService login_;
    std::chrono::milliseconds callTimeout_;
    std::atomic<std::chrono::steady_clock::rep> lastPurge_{0};
};

AppServer::AppServer(std::string connect, AppServerOptions options)
    : target_(std::make_unique<Target>(std::move(connect),
                                       static_cast<std::size_t>(std::max(1, options.threads)),
                                       options.sessionIdle, options.callTimeout)),
      http_(std::make_unique<HttpHost>(
          *target_, HttpOptions{options.threads, options.quiet, "zrm-server", options.tlsCert, options.tlsKey,
                                options.limits})) {}

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
