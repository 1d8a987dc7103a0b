#include "vlm/net_connection.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <zstd.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

#include "qt/silent_server.h"
#include "vcl/data_packet.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"
#include "vlm/call_wait.h"
#include "vlm/net_failure.h"

namespace vlm {
namespace {

constexpr const char* kServer = "zrm90000.rdmRemessaAnalise";

// An answer of some 150 KB: a packet of many rows, as a getNotasFiscais.
const std::string& LongAnswer() {
    static const std::string text = [] {
        vcl::PacketBuilder builder(
            {{"CDNOTA", vcl::FieldType::String, 10}, {"QT", vcl::FieldType::Float, 0}});
        for (int i = 0; i < 5000; ++i)
            builder.AppendRow({vcl::Variant("nota " + std::to_string(i / 4)), vcl::Variant(i * 0.5)});
        vcl::wire::Answer answer;
        answer.result = vcl::VariantArray{"", vcl::VariantArray{builder.Finish(), vcl::Variant::Null()}};
        return vcl::wire::EncodeAnswer(answer);
    }();
    return text;
}

// zstd frames made piece by piece, without the content size in their header,
// as a server streaming its answer makes them.
std::vector<std::string> CompressedPieces(const std::string& text, std::size_t piece) {
    std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context(ZSTD_createCCtx(), ZSTD_freeCCtx);
    std::vector<std::string> pieces;
    std::string out(ZSTD_CStreamOutSize(), '\0');
    for (std::size_t at = 0; at < text.size(); at += piece) {
        const bool last = at + piece >= text.size();
        ZSTD_inBuffer in{text.data() + at, std::min(piece, text.size() - at), 0};
        std::size_t left = 0;
        do {
            ZSTD_outBuffer buffer{out.data(), out.size(), 0};
            left = ZSTD_compressStream2(context.get(), &buffer, &in, last ? ZSTD_e_end : ZSTD_e_flush);
            pieces.emplace_back(out.data(), buffer.pos);
        } while (left != 0 || in.pos < in.size);
    }
    return pieces;
}

// Sends `pieces` as a chunked answer, pausing between them.
void SendInChunks(httplib::Response& res, std::vector<std::string> pieces, const char* encoding,
                  std::chrono::milliseconds pause) {
    if (encoding != nullptr)
        res.set_header("Content-Encoding", encoding);
    auto shared = std::make_shared<std::vector<std::string>>(std::move(pieces));
    auto next = std::make_shared<std::size_t>(0);
    res.set_chunked_content_provider("application/json",
                                     [shared, next, pause](std::size_t, httplib::DataSink& sink) {
                                         if (*next >= shared->size()) {
                                             sink.done();
                                             return true;
                                         }
                                         std::this_thread::sleep_for(pause);
                                         const std::string& piece = (*shared)[(*next)++];
                                         return piece.empty() || sink.write(piece.data(), piece.size());
                                     });
}

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
            } else if (method == "long") {  // in pieces of 8 KB, 20 ms apart
                std::vector<std::string> pieces;
                for (std::size_t at = 0; at < LongAnswer().size(); at += 8192)
                    pieces.push_back(LongAnswer().substr(at, 8192));
                SendInChunks(res, std::move(pieces), nullptr, std::chrono::milliseconds(20));
            } else if (method == "zstd") {
                SendInChunks(res, CompressedPieces(LongAnswer(), 10'000), "zstd",
                             std::chrono::milliseconds(0));
            } else if (method == "cutzstd") {
                std::vector<std::string> pieces = CompressedPieces(LongAnswer(), 10'000);
                pieces.pop_back();
                SendInChunks(res, std::move(pieces), "zstd", std::chrono::milliseconds(0));
            } else if (method == "endless") {  // rows, 50 ms apart, until the client goes
                res.set_chunked_content_provider(
                    "application/json", [](std::size_t, httplib::DataSink& sink) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(50));
                        const std::string row = "[\"nota\",1.5],";
                        return sink.write(row.data(), row.size());
                    });
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
    try {
        netRemesAnalise.AppServer("garbage", {});
        ADD_FAILURE() << "garbage: no exception";
    } catch (const vcl::Exception& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Resposta inválida do servidor de aplicação em 127.0.0.1:" + std::to_string(port) +
                      " (/zrm90000.rdmRemessaAnalise/garbage).");
    }
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
        EXPECT_EQ(
            std::string(error.what()),
            "Não foi possível conectar com o servidor de aplicação em 127.0.0.1:1: a conexão foi recusada.");
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

// A waiter as a desktop host would be: it watches the call from the calling
// thread and either waits for it to end or abandons it once it has lasted a while.
class ScriptedWaiter : public ICallWaiter {
public:
    explicit ScriptedWaiter(std::optional<std::chrono::milliseconds> cancelAfter)
        : cancelAfter_(cancelAfter) {}
    bool Wait(const TCallProgress& progress) override {
        ++waits;
        while (!progress.Done()) {
            if (cancelAfter_ && progress.Elapsed() >= *cancelAfter_)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        received = progress.Received();
        return true;
    }
    int waits = 0;
    std::uint64_t received = 0;

private:
    std::optional<std::chrono::milliseconds> cancelAfter_;
};

TEST_F(NetConnectionTest, AWaitedCallRunsAsAnInLineOneAndReportsTheDataReceived) {
    ScriptedWaiter waiter(std::nullopt);
    netRemesAnalise.Waiter = &waiter;
    std::string ref = "7";
    const vcl::Variant result = netRemesAnalise.AppServer("echo", {1, "dois", &ref});
    EXPECT_EQ(result[1].AsString(), "dois");
    EXPECT_EQ(ref, "FORN-7");
    EXPECT_EQ(waiter.waits, 2) << "the health check and the call";
    EXPECT_GT(waiter.received, 0u);
}

TEST_F(NetConnectionTest, CancellingACallToASilentServerFailsItAsCancelledByTheUser) {
    zrmqt::SilentServer silent;
    ASSERT_GT(silent.Port(), 0);
    ScriptedWaiter waiter(std::chrono::milliseconds(100));
    {
        TNetConnection net(nullptr, "netSilencioso");
        net.ServerName = kServer;
        net.Host = "127.0.0.1";
        net.Port = silent.Port();
        net.TimeoutSeconds = 30;  // far beyond the cancel: only the cancel can end the call early
        net.Waiter = &waiter;
        const auto started = std::chrono::steady_clock::now();
        try {
            net.AppServer("echo", {});
            ADD_FAILURE() << "no exception";
        } catch (const vcl::Exception& error) {
            EXPECT_EQ(std::string(error.what()), "Operação cancelada pelo usuário");
        }
        EXPECT_FALSE(net.Connected());
        // The connection still works once the server answers again.
        net.Port = port;
        EXPECT_NO_THROW(net.AppServer("echo", {1, 2, 3}));
        EXPECT_TRUE(net.Connected());
        // The abandoned call's thread ends with the connection; its socket was shut.
        net.Close();
        const auto elapsed = std::chrono::steady_clock::now() - started;
        EXPECT_LT(elapsed, std::chrono::seconds(net.TimeoutSeconds));
    }
}

TEST_F(NetConnectionTest, AServerThatStopsAnsweringFailsTheCallAsNoAnswerNamingHostAndPort) {
    zrmqt::SilentServer silent;
    ASSERT_GT(silent.Port(), 0);
    netRemesAnalise.Port = silent.Port();
    netRemesAnalise.TimeoutSeconds = 1;
    try {
        netRemesAnalise.AppServer("echo", {});
        FAIL() << "no exception";
    } catch (const vcl::Exception& error) {
        EXPECT_EQ(std::string(error.what()),
                  NetFailureText(TNetFailure::NoAnswer, "127.0.0.1", silent.Port()));
        EXPECT_NE(std::string(error.what()).find("127.0.0.1:" + std::to_string(silent.Port())),
                  std::string::npos);
    }
}

// Watches a call as the busy overlay does, noting each new count of bytes
// received; may cancel as soon as some arrived.
class SamplingWaiter : public ICallWaiter {
public:
    explicit SamplingWaiter(bool cancelOnData) : cancelOnData_(cancelOnData) {}
    bool Wait(const TCallProgress& progress) override {
        while (!progress.Done()) {
            const std::uint64_t received = progress.Received();
            if (received > 0 && (samples.empty() || samples.back() != received))
                samples.push_back(received);
            if (cancelOnData_ && received > 0) {
                cancelledAt = std::chrono::steady_clock::now();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        total = progress.Received();
        return true;
    }
    std::vector<std::uint64_t> samples;
    std::uint64_t total = 0;
    std::chrono::steady_clock::time_point cancelledAt;

private:
    bool cancelOnData_;
};

TEST_F(NetConnectionTest, TheDataReceivedGrowsWhileALongAnswerArrives) {
    netRemesAnalise.Open();
    SamplingWaiter waiter(false);
    netRemesAnalise.Waiter = &waiter;
    const vcl::Variant result = netRemesAnalise.AppServer("long", {});
    EXPECT_EQ(result[1][0].AsPacket().RowCount(), 5000u);
    EXPECT_EQ(waiter.total, LongAnswer().size());
    ASSERT_GE(waiter.samples.size(), 3u) << "the overlay saw the data received only at the end";
    EXPECT_LT(waiter.samples.front(), LongAnswer().size() / 2);
}

TEST_F(NetConnectionTest, ACompressedAnswerInPiecesDecodesAsThePlainOneAndACutOneIsInvalid) {
    netRemesAnalise.Open();
    const vcl::Variant plain = netRemesAnalise.AppServer("long", {});
    EXPECT_TRUE(netRemesAnalise.AppServer("zstd", {}) == plain);
    try {
        netRemesAnalise.AppServer("cutzstd", {});
        ADD_FAILURE() << "a cut compressed answer was accepted";
    } catch (const vcl::Exception& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Resposta inválida do servidor de aplicação em 127.0.0.1:" + std::to_string(port) +
                      " (/zrm90000.rdmRemessaAnalise/cutzstd).");
    }
    EXPECT_TRUE(netRemesAnalise.AppServer("zstd", {}) == plain) << "the connection still works";
}

TEST_F(NetConnectionTest, CancellingWhileAnAnswerArrivesStopsTheTransferAtOnce) {
    netRemesAnalise.Open();
    netRemesAnalise.TimeoutSeconds = 30;
    SamplingWaiter waiter(true);
    netRemesAnalise.Waiter = &waiter;
    try {
        netRemesAnalise.AppServer("endless", {});
        ADD_FAILURE() << "no exception";
    } catch (const vcl::Exception& error) {
        EXPECT_EQ(std::string(error.what()), "Operação cancelada pelo usuário");
    }
    // Far below the 30 s the server may stay silent: the cancel, not a timeout, ended the call.
    EXPECT_LT(std::chrono::steady_clock::now() - waiter.cancelledAt, std::chrono::seconds(5));
    EXPECT_FALSE(netRemesAnalise.Connected());
}

TEST(NetConnectionIpv6, ACallReachesAServerOnTheIpv6Loopback) {
    httplib::Server server;
    server.Get("/health", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("{}", "application/json");
    });
    server.Post("/srv/echo", [](const httplib::Request& req, httplib::Response& res) {
        vcl::wire::Answer answer;
        answer.result = vcl::Variant(vcl::wire::DecodeRequest(req.body));
        res.set_content(vcl::wire::EncodeAnswer(answer), "application/json");
    });
    server.set_keep_alive_timeout(1);
    const int port = server.bind_to_any_port("::1");
    if (port <= 0)
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    std::thread serverThread([&] { server.listen_after_bind(); });
    {
        TNetConnection net(nullptr, "netIpv6");
        net.ServerName = "srv";
        net.Host = "::1";
        net.Port = port;
        EXPECT_EQ(net.AppServer("echo", {"via ::1"})[0].AsString(), "via ::1");
    }
    server.stop();
    serverThread.join();
}

TEST(NetFailureText, EachFailureSaysWhatHappenedNamingTheServer) {
    struct Case {
        TNetFailure kind;
        const char* text;
    };
    const Case cases[] = {
        {TNetFailure::Refused,
         "Não foi possível conectar com o servidor de aplicação em srv:8080: a conexão foi recusada."},
        {TNetFailure::NoAnswer,
         "Sem resposta do servidor de aplicação em srv:8080: o tempo de espera pela resposta se esgotou."},
        {TNetFailure::Certificate, "O certificado do servidor de aplicação em srv:8080 não foi aceito."},
        {TNetFailure::SessionExpired,
         "A sessão no servidor de aplicação em srv:8080 expirou. Entre novamente."},
        {TNetFailure::Cancelled, "Operação cancelada pelo usuário"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NetFailureText(c.kind, "srv", 8080), c.text);
}

}  // namespace
}  // namespace vlm
