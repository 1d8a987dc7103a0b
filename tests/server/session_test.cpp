// The session store, the login throttle and the login body, on injected
// clocks; and the account commands with their password on standard input.
#include <gtest/gtest.h>

#include <sstream>

#include "db/connection.h"
#include "db/init_db.h"
#include "server/accounts.h"
#include "server/demo_users.h"
#include "server/login.h"
#include "server/login_throttle.h"
#include "server/password_hash.h"
#include "server/session_store.h"
#include "server/user_commands.h"
#include "test_database.h"

namespace {

using namespace std::chrono_literals;

TEST(SessionStore, ATokenStandsForItsCallerUntilIdleOrClosed) {
    auto now = server::SessionStore::Clock::time_point{} + 1000h;
    server::SessionStore store(8h, 3, [&] { return now; });
    const auto ana = store.Open(server::Caller{"ana", "0001", true, true});
    EXPECT_TRUE(server::IsWellFormedToken(ana.token));
    EXPECT_EQ(ana.expires, now + 8h);
    ASSERT_TRUE(store.Find(ana.token));
    EXPECT_EQ(store.Find(ana.token)->branch, "0001");

    now += 7h;
    EXPECT_TRUE(store.Find(ana.token)) << "use restarts the idle period";
    now += 7h;
    EXPECT_TRUE(store.Find(ana.token));
    now += 8h;
    EXPECT_FALSE(store.Find(ana.token)) << "idle for the whole period";

    const auto bia = store.Open(server::Caller{"bia", "0002", false, true});
    std::string upper = bia.token;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_FALSE(store.Find(upper)) << "tokens are exact";
    EXPECT_FALSE(store.Find(bia.token.substr(1)));
    store.Close(bia.token);
    EXPECT_FALSE(store.Find(bia.token));
}

TEST(SessionStore, WhenFullTheLongestIdleSessionMakesRoom) {
    auto now = server::SessionStore::Clock::time_point{} + 1000h;
    server::SessionStore store(8h, 2, [&] { return now; });
    const auto first = store.Open(server::LocalCaller("0001"));
    now += 1min;
    const auto second = store.Open(server::LocalCaller("0001"));
    now += 1min;
    store.Find(first.token);  // the first is now the more recent
    const auto third = store.Open(server::LocalCaller("0001"));
    EXPECT_EQ(store.Size(), 2u);
    EXPECT_TRUE(store.Find(first.token));
    EXPECT_FALSE(store.Find(second.token));
    EXPECT_TRUE(store.Find(third.token));
}

TEST(LoginThrottle, WaitsDoubleAfterTheFreeFailuresAndAreForgotten) {
    auto now = server::LoginThrottle::Clock::time_point{} + 1000h;
    server::LoginThrottle throttle({3, 2s, 8s, 60s, 100}, [&] { return now; });
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(throttle.WaitBefore("ana", "10.0.0.1"), 0s) << i;
        throttle.Failed("ana", "10.0.0.1");
    }
    EXPECT_EQ(throttle.WaitBefore("ana", "10.0.0.9"), 2s) << "the user, from anywhere";
    EXPECT_EQ(throttle.WaitBefore("bia", "10.0.0.1"), 2s) << "the address, for anyone";
    EXPECT_EQ(throttle.WaitBefore("bia", "10.0.0.9"), 0s);
    now += 2s;
    throttle.Failed("ana", "10.0.0.1");
    EXPECT_EQ(throttle.WaitBefore("ana", "10.0.0.9"), 4s);
    throttle.Failed("ana", "10.0.0.1");
    throttle.Failed("ana", "10.0.0.1");
    EXPECT_EQ(throttle.WaitBefore("ana", "10.0.0.9"), 8s) << "up to the ceiling";

    throttle.Succeeded("ana");
    EXPECT_EQ(throttle.WaitBefore("ana", "10.0.0.9"), 0s) << "a success clears the user";
    EXPECT_EQ(throttle.WaitBefore("bia", "10.0.0.1"), 8s) << "but not the address";
    now += 61s;
    EXPECT_EQ(throttle.WaitBefore("bia", "10.0.0.1"), 0s) << "quiet time forgets";
}

TEST(LoginBody, OnlyANameAndAPasswordOfBoundedSize) {
    struct Case {
        const char* name;
        std::string body;
        bool accepted;
    } const cases[] = {
        {"name and password", R"({"user":"ana","password":"x"})", true},
        {"extra members are ignored", R"({"user":"ana","password":"x","lembrar":true})", true},
        {"20 characters, not bytes", R"({"user":"çççççççççççççççççççç","password":""})", true},
        {"21 characters", R"({"user":"abcdefghijklmnopqrstu","password":""})", false},
        {"no password", R"({"user":"ana"})", false},
        {"an empty name", R"({"user":"","password":"x"})", false},
        {"a number for a name", R"({"user":7,"password":"x"})", false},
        {"not an object", R"(["ana","x"])", false},
        {"not JSON", R"({"user":"ana",)", false},
        {"a long password", R"({"user":"ana","password":")" + std::string(1025, 'x') + "\"}", false},
        {"a huge body", std::string(5000, ' ') + R"({"user":"ana","password":"x"})", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(server::ParseLoginBody(c.body).has_value(), c.accepted) << c.name;
}

// The account commands against a database with the demo branches' table.
class UserCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        db::InitDatabase(database_.Connect());
        soci::session session;
        db::Open(session, database_.Connect());
        session << "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA, IDCTRLESTQ) VALUES ('0001', 'M', "
                   "'01', 'S')";
    }
    int Run(server::UserCommand command, const std::string& input = {}) {
        command.connect = database_.Connect();
        std::istringstream in(input);
        out_.str({});
        err_.str({});
        return server::RunUserCommand(command, in, out_, err_);
    }

    testdb::TestDatabase database_{"sqlite"};
    std::ostringstream out_, err_;
};

TEST_F(UserCommandTest, AddPasswdDisableList) {
    using server::UserVerb;
    EXPECT_EQ(Run({UserVerb::Add, {}, "ana", "0001", "Ana Lima", true}, "senha-da-ana\n"), 0) << err_.str();
    EXPECT_EQ(Run({UserVerb::Add, {}, "bia", "0001", "", false}, "senha-da-bia"), 0) << err_.str();
    EXPECT_EQ(Run({UserVerb::List, {}, "", "", "", true}), 0);
    EXPECT_EQ(out_.str(), "ana\t0001\tactive\tgenerates\tAna Lima\nbia\t0001\tactive\tno-generate\t\n");
    EXPECT_EQ(out_.str().find("senha"), std::string::npos);

    EXPECT_EQ(Run({UserVerb::Passwd, {}, "ana", "", "", true}, "outra-senha\n"), 0) << err_.str();
    EXPECT_EQ(Run({UserVerb::Disable, {}, "bia", "", "", true}), 0);
    Run({UserVerb::List, {}, "", "", "", true});
    EXPECT_NE(out_.str().find("bia\t0001\tdisabled"), std::string::npos) << out_.str();

    soci::session session;
    db::Open(session, database_.Connect());
    std::string hash;
    session << "SELECT DSHASH FROM USUARIO WHERE CDUSUARIO = 'ana'", soci::into(hash);
    EXPECT_TRUE(hash.starts_with("$argon2id$")) << hash;
}

TEST_F(UserCommandTest, RefusalsChangeNothing) {
    using server::UserVerb;
    ASSERT_EQ(Run({UserVerb::Add, {}, "ana", "0001", "", true}, "senha-da-ana\n"), 0);
    struct Case {
        const char* name;
        server::UserCommand command;
        std::string input;
        const char* error;
    } const cases[] = {
        {"an existing user", {UserVerb::Add, {}, "ana", "0001", "", true}, "senha-nova\n", "already exists"},
        {"an unknown branch",
         {UserVerb::Add, {}, "caio", "0009", "", true},
         "senha-nova\n",
         "does not exist"},
        {"a short password", {UserVerb::Add, {}, "caio", "0001", "", true}, "curta\n", "at least 8"},
        {"no password", {UserVerb::Add, {}, "caio", "0001", "", true}, "", "no password"},
        {"a name with a blank", {UserVerb::Add, {}, "ca io", "0001", "", true}, "senha-nova\n", "no blanks"},
        {"a name too long",
         {UserVerb::Add, {}, std::string(21, 'a'), "0001", "", true},
         "senha-nova\n",
         "1 to 20"},
        {"passwd of nobody", {UserVerb::Passwd, {}, "caio", "", "", true}, "senha-nova\n", "no user"},
        {"disable nobody", {UserVerb::Disable, {}, "caio", "", "", true}, "", "no user"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.command, c.input), 1) << c.name;
        EXPECT_NE(err_.str().find(c.error), std::string::npos) << c.name << ": " << err_.str();
    }
    Run({UserVerb::List, {}, "", "", "", true});
    EXPECT_EQ(out_.str(), "ana\t0001\tactive\tgenerates\t\n");
}

TEST_F(UserCommandTest, DemoUsersGetOneAccountPerBranchWithAPrintedPassword) {
    {
        soci::session session;
        db::Open(session, database_.Connect());
        session << "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA, IDCTRLESTQ) VALUES ('0002', 'F', "
                   "'01', 'S')";
    }
    std::ostringstream printed;
    server::AddDemoUsers(database_.Connect(), printed);
    std::istringstream lines(printed.str());
    std::string header, user, branch, password;
    std::getline(lines, header);
    soci::session session;
    db::Open(session, database_.Connect());
    int users = 0;
    while (lines >> user >> branch >> password) {
        ++users;
        const auto account = server::FindAccount(session, user);
        ASSERT_TRUE(account) << user;
        EXPECT_EQ(user, "demo" + branch);
        EXPECT_EQ(account->branch, branch);
        EXPECT_TRUE(account->mayGenerate);
        EXPECT_TRUE(server::VerifyPassword(account->hash, password)) << "the printed password logs in";
        EXPECT_EQ(account->hash.find(password), std::string::npos);
    }
    EXPECT_EQ(users, 2);
    std::ostringstream again;
    server::AddDemoUsers(database_.Connect(), again);
    EXPECT_EQ(again.str(), "") << "existing users keep their passwords";
}

}  // namespace
