// Calls that survive lost answers, busy databases and database outages, on
// every backend: idempotency keys, the call's deadline, sessions that are
// replaced after a failure, and the health check that tells.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "answer_proxy.h"
#include "db/connection.h"
#include "db/schema_version.h"
#include "remessa_fixture.h"
#include "server/app_server.h"
#include "server/dispatch.h"
#include "server/idempotency.h"
#include "test_database.h"
#include "vlm/net_connection.h"

namespace {

using namespace std::chrono_literals;
using testsrv::Count;
using vcl::Variant;

constexpr const char* kGeraSaida = "/zrm90000.rdmRemessaAnalise/GeraSaida";
constexpr const char* kBusy = "Banco de dados ocupado; tente novamente";

class ResilienceTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ZRM_SKIP_UNLESS_AVAILABLE(database_);
        db::Open(session_, database_.Connect());
        testsrv::SeedSmall(session_);
    }
    void TearDown() override {
        if (server_)
            server_->Stop();
    }
    void Start(server::AppServerOptions options = {2, true}, std::string connect = {}) {
        server_ =
            std::make_unique<server::AppServer>(connect.empty() ? database_.Connect() : connect, options);
        port_ = server_->Start();
        token_ = server_->OpenSession(server::LocalCaller("0001"));
    }
    static testsrv::GeraSaidaCall OneItem(double quantity = 1) {
        testsrv::GeraSaidaCall call;
        call.notes = {{"0001", "0000000001"}};
        call.items = {{"0001", "0000000001", "0001", quantity}};
        return call;
    }
    struct Reply {
        int status = 0;
        std::string body;
        std::string Status() const {  // GeraSaida's status, or the error
            const auto json = nlohmann::json::parse(body, nullptr, false);
            if (status == 200)
                return json["result"][0].get<std::string>();
            return json.value("error", std::string());
        }
    };
    Reply Generate(const testsrv::GeraSaidaCall& call, const std::string& key = {}) {
        httplib::Client client("127.0.0.1", port_);
        client.set_bearer_token_auth(token_);
        client.set_read_timeout(30, 0);
        httplib::Headers headers;
        if (!key.empty())
            headers.emplace("Idempotency-Key", key);
        const auto answer =
            client.Post(kGeraSaida, headers, vcl::wire::EncodeRequest(call.Args()), "application/json");
        return answer ? Reply{answer->status, answer->body} : Reply{};
    }
    Reply Health() {
        httplib::Client client("127.0.0.1", port_);
        const auto answer = client.Get("/health");
        return answer ? Reply{answer->status, answer->body} : Reply{};
    }
    long long Notes() { return Count(session_, "SELECT COUNT(*) FROM NOTASAIDA"); }

    testdb::TestDatabase database_{GetParam()};
    soci::session session_;
    std::unique_ptr<server::AppServer> server_;
    int port_ = 0;
    std::string token_;
};

TEST_P(ResilienceTest, ARepeatedKeyAnswersWhatItStoredAndAnotherBodyUnderItIsRefused) {
    Start();
    const std::string key = vlm::TNetConnection::NewIdempotencyKey();
    const Reply first = Generate(OneItem(), key);
    ASSERT_EQ(first.Status(), "OK") << first.body;
    const Reply again = Generate(OneItem(), key);
    EXPECT_EQ(again.status, 200);
    EXPECT_EQ(again.body, first.body) << "the stored answer, unchanged";
    EXPECT_EQ(Notes(), 1) << "the notes once";

    const Reply other = Generate(OneItem(2), key);
    EXPECT_EQ(other.status, 422);
    EXPECT_FALSE(other.Status().empty()) << other.body;
    EXPECT_EQ(Notes(), 1);

    const Reply malformed = Generate(OneItem(2), "not a key!");
    EXPECT_EQ(malformed.status, 400);
    EXPECT_EQ(Notes(), 1);
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM IDEMPOTENCIA"), 1);
}

TEST_P(ResilienceTest, ALostAnswerIsSentAgainWithItsKeyAndGeneratesOnce) {
    Start();
    testsrv::AnswerLosingProxy proxy(port_);
    vlm::TNetConnection connection(nullptr, "conRemessa");
    connection.ServerName = "zrm90000.rdmRemessaAnalise";
    connection.Port = proxy.Port();
    connection.TimeoutSeconds = 20;
    connection.Access.token = token_;
    std::vector<vlm::TArg> args;
    for (const Variant& value : OneItem().Args())
        args.emplace_back(value);
    const Variant result = connection.AppServer("GeraSaida", std::move(args));
    EXPECT_EQ(result[0], Variant("OK")) << "the user sees the real outcome";
    EXPECT_EQ(Notes(), 1);
    const auto keys = proxy.Keys();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].size(), 32u);
    EXPECT_EQ(keys[0], keys[1]) << "the retry carries the first attempt's key";
}

TEST_P(ResilienceTest, AWriteLockPastTheDeadlineAnswersBusyWithNothingWritten) {
    server::AppServerOptions options{2, true};
    options.callTimeout = 1500ms;
    Start(options);
    {
        soci::session locker;
        db::Open(locker, database_.Connect());
        if (db::BackendOf(locker) == db::Backend::Sqlite) {
            locker << "BEGIN IMMEDIATE";
        } else {
            locker << "BEGIN";
            locker << "LOCK TABLE NOTASAIDA IN EXCLUSIVE MODE";
        }
        const auto started = std::chrono::steady_clock::now();
        const Reply busy = Generate(OneItem(), vlm::TNetConnection::NewIdempotencyKey());
        const auto took = std::chrono::steady_clock::now() - started;
        EXPECT_EQ(busy.Status(), kBusy) << busy.body;
        EXPECT_LT(took, 20s) << "answered within the deadline, not after the client's";
        locker << "ROLLBACK";
    }
    EXPECT_EQ(Notes(), 0);
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM IDEMPOTENCIA"), 0);
    EXPECT_EQ(Generate(OneItem(), vlm::TNetConnection::NewIdempotencyKey()).Status(), "OK");
    EXPECT_EQ(Notes(), 1);
}

TEST_P(ResilienceTest, ACallWhoseDeadlinePassesBeforeItsCommitWritesNothing) {
    // The deadline passes while the remittance is being written: checked
    // before COMMIT, it rolls everything back, the kept answer included.
    server::CallGuard guard;
    guard.deadline = server::CallGuard::Clock::now() + 1h;
    bool kept = false;
    guard.keep = [&](soci::session& transaction, const vcl::wire::Answer& answer) {
        server::StoreAnswer(transaction, "local", "k1", "hash", vcl::wire::EncodeAnswer(answer));
        kept = true;
        guard.deadline = server::CallGuard::Clock::now();
    };
    const auto answer = server::Dispatch(session_, "zrm90000.rdmRemessaAnalise", "GeraSaida",
                                         OneItem().Args(), server::LocalCaller("0001"), guard);
    EXPECT_TRUE(kept);
    EXPECT_EQ(answer.result[0], Variant(kBusy));
    EXPECT_EQ(Notes(), 0);
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM AUDITORIA"), 3) << "the seeded analyses only";
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM IDEMPOTENCIA"), 0);
}

TEST_P(ResilienceTest, TheHealthCheckNeedsTheCurrentSchemaAndAWritableDatabase) {
    Start();
    const Reply healthy = Health();
    ASSERT_EQ(healthy.status, 200) << healthy.body;
    const auto json = nlohmann::json::parse(healthy.body);
    EXPECT_EQ(json["status"], "ok");
    EXPECT_EQ(json["schema"], db::kSchemaVersion);
    EXPECT_EQ(json["db"], GetParam() == "sqlite" ? "sqlite" : "postgresql");

    session_ << "DELETE FROM VERSAOESQUEMA WHERE NRVERSAO = " + std::to_string(db::kSchemaVersion);
    const Reply old = Health();
    EXPECT_EQ(old.status, 503);
    EXPECT_NE(old.Status().find("versão"), std::string::npos) << old.body;
}

INSTANTIATE_TEST_SUITE_P(Backends, ResilienceTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

}  // namespace
