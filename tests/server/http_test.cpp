#include <gtest/gtest.h>

#include <mutex>

#include "db/connection.h"
#include "http_client.h"
#include "remessa_fixture.h"
#include "server/app_server.h"
#include "server/fake_server.h"
#include "test_database.h"

namespace {

using testsrv::HttpClient;
using vcl::Variant;

struct RecordedCall {
    std::string server, method;
    std::size_t arguments;
};

// Records the calls an observer sees.
class CallLog {
public:
    server::CallObserver Observer() {
        return [this](std::string_view server, std::string_view method, const vcl::VariantArray& args) {
            std::lock_guard lock(mutex_);
            calls_.push_back({std::string(server), std::string(method), args.size()});
        };
    }
    std::vector<RecordedCall> Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    std::mutex mutex_;
    std::vector<RecordedCall> calls_;
};

// The server on a free loopback port over a seeded database, stopped in
// teardown.
class AppServerTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ZRM_SKIP_UNLESS_AVAILABLE(database_);
        {
            soci::session session;
            db::Open(session, database_.Connect());
            testsrv::SeedSmall(session);
        }
        server_ = std::make_unique<server::AppServer>(database_.Connect(), server::AppServerOptions{4, true});
        server_->SetObserver(log_.Observer());
        port_ = server_->Start();
        token_ = server_->OpenSession(server::LocalCaller("0001"));
    }
    void TearDown() override {
        if (server_)
            server_->Stop();
    }

    testdb::TestDatabase database_{GetParam()};
    std::unique_ptr<server::AppServer> server_;
    CallLog log_;
    int port_ = 0;
    std::string token_;
};

TEST_P(AppServerTest, AnswersEachRouteWithItsStatus) {
    HttpClient client(port_, token_);
    struct Case {
        const char* name;
        const char* path;
        const char* body;  // nullptr: GET
        int status;
    };
    const Case cases[] = {
        {"a call", "/zrm90000.rdmRemessaAnalise/getSerie", R"({"args":["0001"]})", 200},
        {"a call of the stock server", "/Est00000.rdmEstoque/getSerie", R"({"args":["0001"]})", 404},
        {"an unknown server", "/zrm99999.rdmNada/getSerie", R"({"args":["0001"]})", 404},
        {"an unknown method", "/zrm90000.rdmRemessaAnalise/apagaTudo", R"({"args":[]})", 404},
        {"a body that is not JSON", "/zrm90000.rdmRemessaAnalise/getSerie", R"({"args":[)", 400},
        {"a body without args", "/zrm90000.rdmRemessaAnalise/getSerie", R"({"argumentos":["0001"]})", 400},
        {"a wrong number of arguments", "/zrm90000.rdmRemessaAnalise/getSerie", R"({"args":["0001","0002"]})",
         400},
        {"an argument of the wrong type", "/zrm90000.rdmRemessaAnalise/getSerie",
         R"({"args":[{"date":"x"}]})", 400},
        {"the remittance server's name", "/zrm90000.rdmRemessaAnalise", nullptr, 200},
        {"the stock server's name", "/Est00000.rdmEstoque", nullptr, 200},
        {"an unknown server's name", "/zrm99999.rdmNada", nullptr, 404},
        {"the health check", "/health", nullptr, 200},
    };
    for (const auto& c : cases) {
        if (c.body) {
            const testsrv::HttpResult result = client.Post(c.path, c.body);
            EXPECT_EQ(result.status, c.status) << c.name;
            if (c.status != 200) {
                EXPECT_NE(result.error, "") << c.name;
            }
        } else {
            EXPECT_EQ(client.Get(c.path), c.status) << c.name;
        }
    }
}

TEST_P(AppServerTest, ReturnsTheResultAndTheByReferenceArguments) {
    HttpClient client(port_, token_);
    const auto result =
        client.Remessa("getNotasFiscais",
                       testsrv::NotasArgs(Variant::Null(), "0001", "000002", vcl::TDate::FromYmd(2026, 3, 1),
                                          vcl::TDate::FromYmd(2026, 3, 31), "", "", "S"));
    ASSERT_EQ(result.status, 200) << result.error;
    EXPECT_EQ(result.answer.result[0], Variant(""));
    EXPECT_EQ(result.answer.result[1][0].AsPacket().RowCount(), 1u);
    EXPECT_EQ(result.answer.refs.at(3), Variant("000002"));

    testsrv::GeraSaidaCall call;
    call.notes = {{"0001", "0000000001"}};
    call.items = {{"0001", "0000000001", "0001", 1}};
    const auto generated = client.Remessa("GeraSaida", call.Args());
    ASSERT_EQ(generated.status, 200) << generated.error;
    EXPECT_EQ(generated.answer.result[0], Variant("OK"));
    EXPECT_EQ(generated.answer.result[1].AsPacket().RowCount(), 1u);
    EXPECT_EQ(generated.answer.refs.at(4), Variant("1"));
    EXPECT_EQ(generated.answer.refs.at(5), Variant("01"));
}

TEST_P(AppServerTest, TheObserverSeesEveryWellFormedCallBeforeItRuns) {
    HttpClient client(port_, token_);
    client.Remessa("getSerie", {"0001"});
    client.Post("/zrm90000.rdmRemessaAnalise/getSerie", "not json");
    client.Post("/zrm90000.rdmRemessaAnalise/semMetodo", R"({"args":[]})");
    client.Remessa("getSerie", {"0001", "extra"});  // well formed; refused by the method
    const auto calls = log_.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].server, "zrm90000.rdmRemessaAnalise");
    EXPECT_EQ(calls[0].method, "getSerie");
    EXPECT_EQ(calls[0].arguments, 1u);
    EXPECT_EQ(calls[1].arguments, 2u);
}

INSTANTIATE_TEST_SUITE_P(Backends, AppServerTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

TEST(AppServer, AnUnreachableDatabaseFailsTheHealthCheckAndTheCalls) {
    server::AppServer app("sqlite3://db=/nonexistent-folder/zrm.db", {2, true});
    const int port = app.Start();
    HttpClient client(port, app.OpenSession(server::LocalCaller("0001")));
    EXPECT_EQ(client.Get("/health"), 503);
    testing::internal::CaptureStderr();
    const auto result = client.Remessa("getSerie", {"0001"});
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result.status, 500);
    // The client reads a reference, the log holds the detail under it.
    ASSERT_TRUE(result.error.starts_with("Erro no banco de dados (ref. ")) << result.error;
    EXPECT_EQ(result.error.find("nonexistent"), std::string::npos) << result.error;
    const std::string ref = result.error.substr(29, 8);
    EXPECT_NE(log.find("\"ref\":\"" + ref + "\""), std::string::npos) << log;
    EXPECT_NE(log.find("cannot open"), std::string::npos) << log;
}

TEST(FakeServer, AnswersEachMethodFromItsQueueInOrder) {
    server::FakeServer fake;
    CallLog log;
    fake.SetObserver(log.Observer());
    HttpClient client(fake.Start());
    fake.QueueReply("getSerie", vcl::VariantArray{"", Variant::Null()});
    fake.QueueReply("getSerie", vcl::VariantArray{"falhou", Variant::Null()});
    fake.QueueReply("GeraSaida", vcl::VariantArray{"OK"});

    EXPECT_EQ(client.Remessa("getSerie", {"0001"}).answer.result[0], Variant(""));
    EXPECT_EQ(client.Remessa("GeraSaida", {}).answer.result[0], Variant("OK"));
    EXPECT_EQ(client.Remessa("getSerie", {"0002"}).answer.result[0], Variant("falhou"));
    const auto empty = client.Remessa("getSerie", {"0003"});
    EXPECT_EQ(empty.status, 500);
    EXPECT_EQ(empty.error, "no reply queued for getSerie");
    EXPECT_EQ(client.Call("zrm99999.rdmNada", "getSerie", {}).status, 404);
    EXPECT_EQ(fake.PendingReplies(), 0u);

    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[1].method, "GeraSaida");
    fake.Stop();
}

}  // namespace
