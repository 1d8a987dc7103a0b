// Large answers leave while their rows are read: chunked, the same text the
// packets would give, compressed into one zstd frame when asked; small ones
// and early failures go whole as before; a failure after the first piece
// leaves the answer visibly incomplete; a reader that stops slows the
// worker, and one that leaves frees it.
#include <gtest/gtest.h>
#include <httplib.h>
#include <zstd.h>

#include <atomic>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "contracts/server_api.h"
#include "db/connection.h"
#include "db/demo_data.h"
#include "db/schema.h"
#include "raw_socket.h"
#include "remessa_fixture.h"
#include "server/app_server.h"
#include "server/dispatch.h"
#include "server/http_edge.h"
#include "test_database.h"
#include "vlm/answer_decoding.h"

namespace {

using namespace std::chrono_literals;
using vcl::TDate;
using vcl::Variant;

constexpr std::size_t kPiece = 8 * 1024;
const std::string kPath =
    "/" + std::string(contracts::kRemessaServer) + "/" + std::string(contracts::kGetNotasFiscais);

vcl::VariantArray Selection(const std::string& branch, TDate from, TDate to) {
    return testsrv::NotasArgs(Variant::Null(), branch, "", from, to, "", "", "S");
}
const vcl::VariantArray kWholeYear =
    Selection("0001", TDate::FromYmd(2026, 1, 1), TDate::FromYmd(2026, 12, 31));

// The request log's line for getNotasFiscais among what was written to stderr.
nlohmann::json NotasLogLine(const std::string& log) {
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const auto json = nlohmann::json::parse(line, nullptr, false);
        if (json.is_object() && json.value("route", "") == "POST " + kPath)
            return json;
    }
    return {};
}

class Streaming : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ZRM_SKIP_UNLESS_AVAILABLE(database_);
        db::Open(session_, database_.Connect());
        db::CreateSchema(session_);
        db::InsertDemoData(session_, {.notes = 300});
    }
    void Start(std::chrono::milliseconds callTimeout = 30s) {
        server::AppServerOptions options;
        options.threads = 1;
        options.quiet = false;
        options.callTimeout = callTimeout;
        options.limits.streamPieceBytes = kPiece;
        server_ = std::make_unique<server::AppServer>(database_.Connect(), options);
        port_ = server_->Start();
        token_ = server_->OpenSession(server::LocalCaller("0001"));
    }
    // The answer's text as the packets give it, without streaming.
    std::string Packets(const vcl::VariantArray& args) {
        return vcl::wire::EncodeAnswer(server::Dispatch(session_, contracts::kRemessaServer,
                                                        contracts::kGetNotasFiscais, args,
                                                        server::LocalCaller("0001")));
    }
    httplib::Result Post(const vcl::VariantArray& args, httplib::Headers headers = {}) {
        httplib::Client client("127.0.0.1", port_);
        client.set_bearer_token_auth(token_);
        client.set_decompress(false);
        client.set_read_timeout(20, 0);
        return client.Post(kPath, headers, vcl::wire::EncodeRequest(args), "application/json");
    }

    testdb::TestDatabase database_{GetParam()};
    soci::session session_;
    std::unique_ptr<server::AppServer> server_;
    int port_ = 0;
    std::string token_;
};

TEST_P(Streaming, LargeAnswersAreChunkedWithTheTextThePacketsGiveAndSmallOnesGoWhole) {
    Start();
    const struct {
        const char* name;
        vcl::VariantArray args;
        bool chunked;
    } cases[] = {
        {"the whole year", kWholeYear, true},
        {"a day without notes", Selection("0001", TDate::FromYmd(2031, 1, 1), TDate::FromYmd(2031, 1, 1)),
         false},
        {"a branch that does not exist",
         Selection("9999", TDate::FromYmd(2026, 1, 1), TDate::FromYmd(2026, 12, 31)), false},
    };
    for (const auto& c : cases) {
        const std::string expected = Packets(c.args);
        testing::internal::CaptureStderr();
        const auto answer = Post(c.args);
        const nlohmann::json log = NotasLogLine(testing::internal::GetCapturedStderr());
        ASSERT_TRUE(answer) << c.name << ": " << httplib::to_string(answer.error());
        EXPECT_EQ(answer->status, 200) << c.name;
        EXPECT_EQ(answer->get_header_value("Transfer-Encoding") == "chunked", c.chunked) << c.name;
        EXPECT_EQ(answer->has_header("Content-Length"), !c.chunked) << c.name;
        EXPECT_EQ(answer->body, expected) << c.name;
        if (c.chunked) {
            EXPECT_GT(expected.size(), 4 * kPiece) << c.name << ": the answer spans several pieces";
        }
        ASSERT_TRUE(log.is_object()) << c.name;
        EXPECT_EQ(log["http"], 200) << c.name;
        EXPECT_EQ(log["bytes_out"], answer->body.size()) << c.name << ": the log counts the whole answer";
    }
    EXPECT_EQ(vcl::wire::DecodeAnswer(Post(cases[2].args)->body).result[0], Variant("Filial não cadastrada"));
}

TEST_P(Streaming, AStreamedAnswerIsOneZstdFrameForClientsThatAskForIt) {
    Start();
    const std::string expected = Packets(kWholeYear);
    const auto answer = Post(kWholeYear, {{"Accept-Encoding", "zstd"}});
    ASSERT_TRUE(answer) << httplib::to_string(answer.error());
    EXPECT_EQ(answer->get_header_value("Transfer-Encoding"), "chunked");
    EXPECT_EQ(answer->get_header_value("Content-Encoding"), "zstd");
    EXPECT_LT(answer->body.size(), expected.size() / 3);
    // Made piece by piece, the frame cannot say its size ahead; the client decodes it all the same.
    EXPECT_EQ(ZSTD_getFrameContentSize(answer->body.data(), answer->body.size()), ZSTD_CONTENTSIZE_UNKNOWN);
    EXPECT_EQ(vlm::DecompressZstd(answer->body), expected);
    EXPECT_FALSE(vlm::DecompressZstd(answer->body, expected.size() - 1)) << "the expansion bound holds";
}

TEST_P(Streaming, AFailureAfterTheFirstPieceLeavesTheAnswerIncompleteAndIsLoggedAsAnError) {
    if (GetParam() != "sqlite")
        GTEST_SKIP() << "PostgreSQL cancels the first statement itself past a deadline this short, "
                        "and keeps no text that is not UTF-8";
    const struct {
        const char* name;
        std::chrono::milliseconds callTimeout;
        const char* update;
        const char* outcome;
    } cases[] = {
        {"the deadline passes while the answer is sent", 1ms, "", "deadline"},
        // The items come after the notes, which fill the first pieces.
        {"a product name that is not UTF-8", 30s, "UPDATE PRODUTO SET NMPRODUTO = CAST(X'41C328' AS TEXT)",
         "UTF-8"},
    };
    for (const auto& c : cases) {
        if (*c.update)
            session_ << c.update;
        Start(c.callTimeout);
        testing::internal::CaptureStderr();
        const auto answer = Post(kWholeYear);
        const nlohmann::json log = NotasLogLine(testing::internal::GetCapturedStderr());
        EXPECT_FALSE(answer) << c.name << ": the client must not take a cut answer for a whole one";
        ASSERT_TRUE(log.is_object()) << c.name;
        EXPECT_EQ(log["level"], "error") << c.name;
        EXPECT_EQ(log["http"], 200) << c.name << ": the status that went out";
        EXPECT_FALSE(log["ref"].get<std::string>().empty()) << c.name;
        EXPECT_NE(log["outcome"].get<std::string>().find(c.outcome), std::string::npos) << log;
        EXPECT_GT(log["bytes_out"].get<std::size_t>(), 0u) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, Streaming, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName{});

// The edge alone, with one worker whose answer never ends by itself.
TEST(StreamingEdge, AReaderThatStopsHoldsTheWorkerAndOneThatLeavesFreesIt) {
    constexpr int kMostPieces = 4000;  // 64 MiB: far beyond what a bounded queue lets out
    std::atomic<int> sent{0};
    std::atomic<bool> gaveUp{false};
    std::atomic<int> brokenLogged{0};
    server::HttpEdgeOptions options;
    options.workers = 1;
    server::HttpEdge edge(
        options,
        [&](const server::HttpRequest& request) {
            server::HttpResponse response;
            if (request.target != "/endless" || !request.stream) {
                response.body = "{}";
                return response;
            }
            const std::string piece(16 * 1024, 'x');
            while (sent < kMostPieces && request.stream->Send(piece))
                ++sent;
            gaveUp = sent < kMostPieces;
            response.delivery = gaveUp ? server::Delivery::StreamBroken : server::Delivery::Streamed;
            return response;
        },
        [&](const server::HttpResponse& response, const server::RequestFacts&) {
            if (response.delivery == server::Delivery::StreamBroken)
                ++brokenLogged;
        });
    const int port = edge.Start("127.0.0.1", 0);
    {
        testsrv::RawSocket reader(port);
        ASSERT_TRUE(reader.Send("GET /endless HTTP/1.1\r\nHost: x\r\n\r\n"));
        std::this_thread::sleep_for(500ms);
        const int early = sent;
        std::this_thread::sleep_for(500ms);
        EXPECT_EQ(sent, early) << "the worker waits for the reader";
        EXPECT_LT(early, kMostPieces);
    }  // the reader leaves without reading
    testsrv::RawSocket next(port);
    ASSERT_TRUE(next.Send("GET /other HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
    const std::string answer = next.ReadUntilClosed(10s);
    EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << "the only worker is free again: " << answer;
    EXPECT_TRUE(gaveUp);
    edge.Stop();
    EXPECT_EQ(brokenLogged, 1);
}

}  // namespace
