#include "vlm/net_connection.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "vcl/exceptions.h"
#include "vcl/wire.h"

namespace vlm {
namespace {

constexpr const char* kServer = "zrm90000.rdmRemessaAnalise";

// A tiny application server on a free loopback port: "echo" answers its
// arguments and sets by-reference argument 3; "fail", "bad" and "garbage"
// answer the failures a real server can give.
class NetConnectionTest : public ::testing::Test {
protected:
    httplib::Server server;
    std::thread serverThread;
    int port = 0;
    std::mutex mutex;
    std::vector<std::string> paths;
    int healthChecks = 0;
    TNetConnection netRemesAnalise{nullptr, "netRemesAnalise"};

    void SetUp() override {
        server.Get("/health", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard lock(mutex);
            ++healthChecks;
            res.set_content("{}", "application/json");
        });
        server.Post(R"(/([^/]+)/([^/]+))", [this](const httplib::Request& req, httplib::Response& res) {
            const std::string serverName = req.matches[1], method = req.matches[2];
            {
                std::lock_guard lock(mutex);
                paths.push_back(req.path);
            }
            if (serverName != kServer) {
                res.status = 404;
                res.set_content(vcl::wire::EncodeError("Servidor desconhecido: " + serverName),
                                "application/json");
            } else if (method == "echo") {
                vcl::wire::Answer answer;
                answer.result = vcl::Variant(vcl::wire::DecodeRequest(req.body));
                answer.refs[3] = vcl::Variant("FORN-" + answer.result[2].AsString());
                answer.refs[1] = vcl::Variant("não é referência");
                res.set_content(vcl::wire::EncodeAnswer(answer), "application/json");
            } else if (method == "fail") {
                res.status = 500;
                res.set_content(vcl::wire::EncodeError("Falha no servidor"), "application/json");
            } else if (method == "bad") {
                res.status = 400;
                res.set_content(vcl::wire::EncodeError("Requisição malformada"), "application/json");
            } else if (method == "garbage") {
                res.set_content("<html>", "text/html");
            } else {
                res.status = 404;
                res.set_content(vcl::wire::EncodeError("Método desconhecido: " + method), "application/json");
            }
        });
        server.set_keep_alive_timeout(1);  // a stop waits for kept-alive sockets at most this long
        port = server.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port, 0);
        serverThread = std::thread([this] { server.listen_after_bind(); });
        for (int i = 0; i < 500 && !server.is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        netRemesAnalise.ServerName = kServer;
        netRemesAnalise.Host = "127.0.0.1";
        netRemesAnalise.Port = port;
        netRemesAnalise.ThrowException = false;
    }

    void TearDown() override {
        netRemesAnalise.Close();  // drops the kept-alive socket so the server stops at once
        server.stop();
        if (serverThread.joinable())
            serverThread.join();
    }
};

TEST_F(NetConnectionTest, ACallSendsItsArgumentsAndWritesBackByReferenceStrings) {
    netRemesAnalise.Open();
    ASSERT_TRUE(netRemesAnalise.Connected());
    std::string stCdForneced = "123";
    std::string untouched = "fica";
    const vcl::Variant result = netRemesAnalise.AppServer(
        "echo",
        {vcl::Variant::Null(), "0001", &stCdForneced, vcl::TDate::FromYmd(2026, 1, 31), 42, &untouched});
    ASSERT_TRUE(result.IsArray());
    ASSERT_EQ(result.ArrayLength(), 6u);
    EXPECT_TRUE(result[0].IsNull());
    EXPECT_EQ(result[1].AsString(), "0001");
    EXPECT_EQ(result[2].AsString(), "123") << "a by-reference argument is sent with its value";
    EXPECT_EQ(result[3].AsDate(), vcl::TDate::FromYmd(2026, 1, 31));
    EXPECT_EQ(result[4].AsInteger(), 42);
    EXPECT_EQ(stCdForneced, "FORN-123");
    EXPECT_EQ(untouched, "fica") << "refs only reach arguments passed by reference";
    EXPECT_EQ(paths, std::vector<std::string>{"/zrm90000.rdmRemessaAnalise/echo"});
}

TEST_F(NetConnectionTest, ServerErrorsRaiseTheServersText) {
    netRemesAnalise.Open();
    const std::pair<const char*, const char*> cases[] = {{"fail", "Falha no servidor"},
                                                         {"bad", "Requisição malformada"},
                                                         {"nada", "Método desconhecido: nada"}};
    for (const auto& [method, text] : cases) {
        try {
            netRemesAnalise.AppServer(method, {});
            ADD_FAILURE() << method << ": no exception";
        } catch (const vcl::Exception& error) {
            EXPECT_EQ(std::string(error.what()), text) << method;
        }
    }
    EXPECT_THROW(netRemesAnalise.AppServer("garbage", {}), vcl::EWireError);
    netRemesAnalise.ServerName = "Est00000.rdmOutro";
    EXPECT_THROW(netRemesAnalise.AppServer("echo", {}), vcl::Exception);
    EXPECT_TRUE(netRemesAnalise.Connected()) << "an error answer does not drop the connection";
}

TEST_F(NetConnectionTest, BeforeConnectRunsEachTimeTheConnectionOpens) {
    int before = 0;
    netRemesAnalise.Port = 1;  // BeforeConnect supplies the real port, as the screen does from the host
    netRemesAnalise.BeforeConnect = [&](vcl::TObject* sender) {
        ++before;
        EXPECT_EQ(sender, &netRemesAnalise);
        netRemesAnalise.Port = port;
    };
    netRemesAnalise.SetConnected(true);
    netRemesAnalise.SetConnected(true);  // already open: nothing
    netRemesAnalise.SetConnected(false);
    EXPECT_FALSE(netRemesAnalise.Connected());
    // A call on a closed connection opens it first.
    std::string ref;
    EXPECT_NO_THROW(netRemesAnalise.AppServer("echo", {1, 2, &ref}));
    EXPECT_TRUE(netRemesAnalise.Connected());
    EXPECT_EQ(before, 2);
    EXPECT_EQ(healthChecks, 2);
}

TEST_F(NetConnectionTest, OnCallSeesEveryCallWithItsValues) {
    std::vector<std::string> calls;
    netRemesAnalise.OnCall = [&](std::string_view serverName, std::string_view method,
                                 const vcl::VariantArray& args) {
        calls.push_back(std::string(serverName) + "." + std::string(method) + ":" +
                        std::to_string(args.size()) + ":" + (args.empty() ? "" : args[0].AsString()));
    };
    std::string ref = "x";
    netRemesAnalise.AppServer("echo", {&ref, "b", &ref});
    EXPECT_EQ(calls, std::vector<std::string>{"zrm90000.rdmRemessaAnalise.echo:3:x"});
}

TEST_F(NetConnectionTest, AnUnreachableServerFailsTheCallNamingHostAndPort) {
    netRemesAnalise.Port = 1;  // nothing listens there
    EXPECT_NO_THROW(netRemesAnalise.Open()) << "ThrowException false: opening raises nothing";
    EXPECT_FALSE(netRemesAnalise.Connected());
    try {
        netRemesAnalise.AppServer("echo", {});
        FAIL() << "no exception";
    } catch (const vcl::Exception& error) {
        EXPECT_NE(std::string(error.what())
                      .find("Não foi possível conectar ao servidor de aplicação em 127.0.0.1:1"),
                  std::string::npos)
            << error.what();
    }
    netRemesAnalise.ThrowException = true;
    EXPECT_THROW(netRemesAnalise.Open(), vcl::Exception);
    netRemesAnalise.Port = 0;
    EXPECT_THROW(netRemesAnalise.Open(), vcl::Exception);
}

TEST_F(NetConnectionTest, AServerThatGoesAwayFailsTheCallAndDropsTheConnection) {
    netRemesAnalise.Open();
    server.stop();
    serverThread.join();
    EXPECT_THROW(netRemesAnalise.AppServer("echo", {}), vcl::Exception);
    EXPECT_FALSE(netRemesAnalise.Connected());
}

}  // namespace
}  // namespace vlm
