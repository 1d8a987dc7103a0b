// Database outages the server lives through without a restart: a SQLite
// file that cannot be written for a while, PostgreSQL's connections cut as
// by a restart. Calls fail and /health says 503 while it lasts; afterwards
// every session in use is a fresh one and full service is back.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "db/connection.h"
#include "remessa_fixture.h"
#include "server/app_server.h"
#include "test_database.h"

namespace {

using namespace std::chrono_literals;

class Outage {
public:
    Outage(const std::string& connect, const std::string& extra = {})
        : server_(connect + extra, server::AppServerOptions{2, true}) {
        port_ = server_.Start();
        token_ = server_.OpenSession(server::LocalCaller("0001"));
    }
    int Health() {
        httplib::Client client("127.0.0.1", port_);
        const auto answer = client.Get("/health");
        return answer ? answer->status : 0;
    }
    // GeraSaida's status for one item of note 0001/0000000001, or the error.
    std::string Generate() {
        testsrv::GeraSaidaCall call;
        call.notes = {{"0001", "0000000001"}};
        call.items = {{"0001", "0000000001", "0001", 1}};
        httplib::Client client("127.0.0.1", port_);
        client.set_bearer_token_auth(token_);
        const auto answer = client.Post("/zrm90000.rdmRemessaAnalise/GeraSaida",
                                        vcl::wire::EncodeRequest(call.Args()), "application/json");
        if (!answer)
            return "no answer";
        const auto json = nlohmann::json::parse(answer->body, nullptr, false);
        return answer->status == 200 ? json["result"][0].get<std::string>() : json.value("error", "");
    }

private:
    server::AppServer server_;
    int port_ = 0;
    std::string token_;
};

// The file is read-only for this object's life; a root process (which file
// modes do not stop) takes the identity of nobody meanwhile.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(std::string path) : path_(std::move(path)) {
        ::chmod(path_.c_str(), 0444);
        if (::geteuid() == 0)
            dropped_ = ::seteuid(65534) == 0;
    }
    ~ReadOnlyFile() { End(); }
    void End() {
        if (dropped_)
            dropped_ = ::seteuid(0) != 0;
        ::chmod(path_.c_str(), 0644);
    }

private:
    std::string path_;
    bool dropped_ = false;
};

TEST(Outage, ASqliteFileReadOnlyForAWhileFailsCallsOnlyWhileItLasts) {
    testdb::TestDatabase database("sqlite");
    {
        soci::session session;
        db::Open(session, database.Connect());
        testsrv::SeedSmall(session);
    }
    const std::string path = database.Connect().substr(std::string("sqlite3://db=").size());
    ReadOnlyFile readOnly(path);
    // The server's sessions open while the file cannot be written.
    Outage server(database.Connect());
    const std::string during = server.Generate();
    EXPECT_NE(during, "OK");
    EXPECT_EQ(during.rfind("Erro no banco de dados (ref. ", 0), 0u) << during;
    EXPECT_EQ(server.Health(), 503);
    readOnly.End();
    EXPECT_EQ(server.Health(), 200);
    EXPECT_EQ(server.Generate(), "OK");
}

TEST(Outage, PostgresqlConnectionsCutFailCallsOnlyUntilFreshSessionsAreOpen) {
    testdb::TestDatabase database("postgresql");
    ZRM_SKIP_UNLESS_AVAILABLE(database);
    soci::session admin;
    db::Open(admin, database.Connect());
    testsrv::SeedSmall(admin);
    const std::string name = "zrm_outage_" + std::to_string(::getpid());
    Outage server(database.Connect(), " application_name=" + name);
    ASSERT_EQ(server.Health(), 200);

    // What a restart does to the server's connections, without stopping the
    // cluster other tests use.
    admin << "SELECT COUNT(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE application_name = '" +
                 name + "'";
    int left = 1;
    for (int wait = 0; wait < 100 && left > 0; ++wait) {
        std::this_thread::sleep_for(20ms);
        admin << "SELECT COUNT(*) FROM pg_stat_activity WHERE application_name = '" + name + "'",
            soci::into(left);
    }
    EXPECT_EQ(server.Health(), 503) << "a cut session fails the check";
    int health = 0;
    for (int attempt = 0; attempt < 4 && health != 200; ++attempt)
        health = server.Health();
    EXPECT_EQ(health, 200) << "every cut session is replaced";
    EXPECT_EQ(server.Generate(), "OK");
}

}  // namespace
