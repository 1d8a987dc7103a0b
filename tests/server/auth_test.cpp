// Accounts and sessions over HTTP, on every backend: who may call, with
// which texts refusals answer, and what a generation records of its user.
#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "db/connection.h"
#include "http_client.h"
#include "remessa_fixture.h"
#include "server/accounts.h"
#include "server/app_server.h"
#include "server/password_hash.h"
#include "test_database.h"

namespace {

using testsrv::Count;
using testsrv::HttpClient;
using vcl::Variant;

constexpr const char* kRefused = "Usuário ou senha inválidos";
constexpr const char* kNoSession = "Sessão inválida ou expirada";

// Hashing is slow on purpose: one hash serves every account of every test.
const std::string& PasswordHash() {
    static const std::string hash = server::HashPassword("senha-certa");
    return hash;
}

struct Login {
    int status = 0;
    nlohmann::json body;
};

class AuthTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ZRM_SKIP_UNLESS_AVAILABLE(database_);
        db::Open(session_, database_.Connect());
        testsrv::SeedSmall(session_);
        // ana generates in 0001; bia may not generate; caio is disabled.
        server::InsertAccount(session_, {"ana", "Ana", "0001", PasswordHash(), true, true});
        server::InsertAccount(session_, {"bia", "", "0001", PasswordHash(), true, false});
        server::InsertAccount(session_, {"caio", "Caio", "0001", PasswordHash(), false, true});
        StartServer(server::AppServerOptions{4, true, {}, {}, std::chrono::hours(8)});
    }
    void TearDown() override {
        if (server_)
            server_->Stop();
    }
    void StartServer(server::AppServerOptions options) {
        if (server_)
            server_->Stop();
        server_ = std::make_unique<server::AppServer>(database_.Connect(), options);
        port_ = server_->Start();
    }

    Login LogIn(const std::string& user, const std::string& password) {
        httplib::Client client("127.0.0.1", port_);
        const auto answer = client.Post(
            "/login", nlohmann::json{{"user", user}, {"password", password}}.dump(), "application/json");
        if (!answer)
            return {};
        return {answer->status, nlohmann::json::parse(answer->body, nullptr, false)};
    }
    std::string TokenOf(const std::string& user) {
        const Login login = LogIn(user, "senha-certa");
        EXPECT_EQ(login.status, 200) << user << ": " << login.body.dump();
        return login.status == 200 ? login.body["token"].get<std::string>() : std::string();
    }

    testsrv::GeraSaidaCall OneItem() const {
        testsrv::GeraSaidaCall call;
        call.notes = {{"0001", "0000000001"}};
        call.items = {{"0001", "0000000001", "0001", 1}};
        return call;
    }
    long long Written() { return Count(session_, "SELECT COUNT(*) FROM NOTASAIDA"); }

    testdb::TestDatabase database_{GetParam()};
    soci::session session_;
    std::unique_ptr<server::AppServer> server_;
    int port_ = 0;
};

TEST_P(AuthTest, ALoginAnswersTheTokenTheUserHisBranchAndTheExpiry) {
    const Login login = LogIn("ana", "senha-certa");
    ASSERT_EQ(login.status, 200) << login.body.dump();
    EXPECT_EQ(login.body["user"], "ana");
    EXPECT_EQ(login.body["branch"], "0001");
    EXPECT_EQ(login.body["token"].get<std::string>().size(), 64u);
    EXPECT_TRUE(std::regex_match(login.body["expires"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")))
        << login.body.dump();
    EXPECT_NE(TokenOf("ana"), login.body["token"].get<std::string>()) << "each login, its own token";
}

TEST_P(AuthTest, RefusedLoginsReadAlikeWhateverTheReason) {
    struct Case {
        const char* name;
        const char* user;
        const char* password;
    } const cases[] = {
        {"a wrong password", "ana", "senha-errada"},
        {"an unknown user", "ninguem", "senha-certa"},
        {"a disabled user", "caio", "senha-certa"},
        {"an empty password", "ana", ""},
    };
    for (const auto& c : cases) {
        const Login login = LogIn(c.user, c.password);
        EXPECT_EQ(login.status, 401) << c.name;
        EXPECT_EQ(login.body, nlohmann::json({{"error", kRefused}})) << c.name;
    }
}

TEST_P(AuthTest, CallsWithoutALiveSessionAreRefused) {
    const std::string token = TokenOf("ana");
    {
        HttpClient client(port_, token);
        ASSERT_EQ(client.Remessa("getSerie", {"0001"}).status, 200);
    }
    struct Case {
        const char* name;
        std::string token;
        const char* path;
    } const cases[] = {
        {"no token", "", "/zrm90000.rdmRemessaAnalise/getSerie"},
        {"an unknown token", std::string(64, 'a'), "/zrm90000.rdmRemessaAnalise/getSerie"},
        {"a malformed token", "abc", "/zrm90000.rdmRemessaAnalise/getSerie"},
        {"no token, another route", "", "/dtmDBGeral/query"},
        {"no token, an unknown route", "", "/qualquer/coisa/mais"},
        {"no token, logout", "", "/logout"},
    };
    for (const auto& c : cases) {
        HttpClient client(port_, c.token);
        const auto result = client.Post(c.path, R"({"args":["0001"]})");
        EXPECT_EQ(result.status, 401) << c.name;
        EXPECT_EQ(result.error, kNoSession) << c.name;
    }
    HttpClient open(port_);
    EXPECT_EQ(open.Get("/health"), 200) << "the health check needs no session";

    httplib::Client raw("127.0.0.1", port_);
    raw.set_bearer_token_auth(token);
    const auto logout = raw.Post("/logout", "{}", "application/json");
    ASSERT_TRUE(logout);
    EXPECT_EQ(logout->status, 200);
    HttpClient client(port_, token);
    const auto after = client.Remessa("getSerie", {"0001"});
    EXPECT_EQ(after.status, 401) << "a session ends at logout";
    EXPECT_EQ(after.error, kNoSession);
}

TEST_P(AuthTest, AnIdleSessionExpires) {
    StartServer(server::AppServerOptions{2, true, {}, {}, std::chrono::seconds(1)});
    HttpClient client(port_, TokenOf("ana"));
    ASSERT_EQ(client.Remessa("getSerie", {"0001"}).status, 200);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const auto result = client.Remessa("getSerie", {"0001"});
    EXPECT_EQ(result.status, 401);
    EXPECT_EQ(result.error, kNoSession);
}

TEST_P(AuthTest, AGoodLoginGeneratesAndTheWritesNameTheUser) {
    HttpClient client(port_, TokenOf("ana"));
    const auto result = client.Remessa("GeraSaida", OneItem().Args());
    ASSERT_EQ(result.status, 200) << result.error;
    ASSERT_EQ(result.answer.result[0], Variant("OK"));
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM NOTASAIDA WHERE CDUSUARIO = 'ana'"), 1);
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM AUDITORIA WHERE CDUSUARIO = 'ana'"), 1);
}

TEST_P(AuthTest, GenerationIsRefusedOutsideTheUsersBranchOrPermission) {
    struct Case {
        const char* name;
        const char* user;
        const char* origin;  // argument 8
        const char* status;
        bool disableFirst;
    } const cases[] = {
        {"another branch than the session's", "ana", "0002", "Filial do usuário não confere com a sessão",
         false},
        {"a user who may not generate", "bia", "0001", "Usuário sem permissão para gerar remessa", false},
        {"a user disabled after logging in", "ana", "0001", "Usuário sem permissão para gerar remessa", true},
    };
    for (const auto& c : cases) {
        HttpClient client(port_, TokenOf(c.user));
        if (c.disableFirst)
            server::DisableAccount(session_, c.user);
        testsrv::GeraSaidaCall call = OneItem();
        call.origin = c.origin;
        const auto result = client.Remessa("GeraSaida", call.Args());
        ASSERT_EQ(result.status, 200) << c.name << ": " << result.error;
        EXPECT_EQ(result.answer.result[0], Variant(c.status)) << c.name;
        EXPECT_EQ(Written(), 0) << c.name << ": nothing written";
        EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM AUDITORIA WHERE IDSITUACAO = 'A'"), 1) << c.name;
    }
}

TEST_P(AuthTest, AnOversizedTextArgumentIsRefusedAlikeOnEveryDatabase) {
    HttpClient client(port_, TokenOf("ana"));
    const std::string huge(100000, '1');
    const auto serie = client.Remessa("getSerie", {huge});
    EXPECT_EQ(serie.status, 400);
    EXPECT_EQ(serie.error, "getSerie: argumento 1 com mais de 4 caracteres");

    testsrv::GeraSaidaCall call = OneItem();
    call.destination = huge;
    const auto generation = client.Remessa("GeraSaida", call.Args());
    EXPECT_EQ(generation.status, 400);
    EXPECT_EQ(generation.error, "GeraSaida: argumento 3 com mais de 4 caracteres");

    testsrv::GeraSaidaCall longKey = OneItem();
    longKey.items[0].sequence = "00001";
    const auto packet = client.Remessa("GeraSaida", longKey.Args());
    EXPECT_EQ(packet.status, 400);
    EXPECT_EQ(packet.error, "o campo NRSEQITPROD do pacote items tem mais de 4 caracteres");

    // Characters, not bytes: "ção" fits a 4-character column.
    EXPECT_EQ(client.Remessa("getSerie", {"ação"}).status, 200);
    EXPECT_EQ(Written(), 0);
}

TEST_P(AuthTest, RepeatedFailuresSlowTheUserDown) {
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(LogIn("ana", "senha-errada").status, 401) << i;
    const Login blocked = LogIn("ana", "senha-certa");
    EXPECT_EQ(blocked.status, 429) << "even the right password waits";
    EXPECT_TRUE(blocked.body["error"].get<std::string>().starts_with("Muitas tentativas de acesso"))
        << blocked.body.dump();
    EXPECT_EQ(LogIn("bia", "senha-certa").status, 429) << "the address is slowed down too";
}

INSTANTIATE_TEST_SUITE_P(Backends, AuthTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

}  // namespace
