// The HTTP edge: limits answered in JSON, slow and idle clients that hold no
// worker, timeouts that close what is left hanging, and one well-formed log
// line per request whatever the client sent.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/resource.h>

#include <atomic>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "db/connection.h"
#include "http_client.h"
#include "raw_socket.h"
#include "remessa_fixture.h"
#include "server/answer_compression.h"
#include "server/app_server.h"
#include "server/fake_server.h"
#include "server/request_shape.h"
#include "test_database.h"
#include "vlm/answer_decoding.h"

namespace {

using namespace std::chrono_literals;
using testsrv::RawSocket;

class EdgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        soci::session session;
        db::Open(session, database_.Connect());
        testsrv::SeedSmall(session);
    }
    void Start(server::HttpLimits limits = {}, int threads = 2, bool quiet = true) {
        server::AppServerOptions options;
        options.threads = threads;
        options.quiet = quiet;
        options.limits = limits;
        server_ = std::make_unique<server::AppServer>(database_.Connect(), options);
        port_ = server_->Start();
        token_ = server_->OpenSession(server::LocalCaller("0001"));
    }
    httplib::Client Client() {
        httplib::Client client("127.0.0.1", port_);
        client.set_bearer_token_auth(token_);
        client.set_read_timeout(20, 0);
        return client;
    }

    testdb::TestDatabase database_{"sqlite"};
    std::unique_ptr<server::AppServer> server_;
    int port_ = 0;
    std::string token_;
};

constexpr const char* kGetSerie = "/zrm90000.rdmRemessaAnalise/getSerie";

std::string ErrorOf(const std::string& body) {
    const auto json = nlohmann::json::parse(body, nullptr, false);
    return json.is_object() && json.contains("error") && json["error"].is_string()
               ? json["error"].get<std::string>()
               : std::string();
}

// {"args":[0,0,...]} with `count` values in the array.
std::string ManyValues(std::size_t count) {
    std::string body = R"({"args":[0)";
    for (std::size_t i = 1; i < count; ++i)
        body += ",0";
    return body + "]}";
}

TEST_F(EdgeTest, EveryRefusalHasItsStatusAndAJsonBody) {
    server::HttpLimits limits;
    limits.maxBodyBytes = 1 << 20;
    limits.maxHeaderBytes = 4 << 10;
    Start(limits);
    struct Case {
        const char* name;
        const char* method;
        const char* path;
        std::string body;
        httplib::Headers headers;
        int status;
    } const cases[] = {
        {"a body over the limit", "POST", kGetSerie, std::string(2 << 20, ' '), {}, 413},
        {"headers over the limit", "GET", "/health", "", {{"X-Padding", std::string(8 << 10, 'a')}}, 431},
        {"a read on a call's route", "GET", kGetSerie, "", {}, 405},
        {"a delete of the health check", "DELETE", "/health", "", {}, 405},
        {"a post to the health check", "POST", "/health", "{}", {}, 405},
        {"a path of three parts", "GET", "/a/b/c", "", {}, 404},
        {"a body that is not JSON", "POST", kGetSerie, "args=0001", {}, 400},
        {"a body of more values than a call may decode", "POST", kGetSerie, ManyValues(1'000'001), {}, 413},
    };
    for (const auto& c : cases) {
        httplib::Client client = Client();
        httplib::Request request;
        request.method = c.method;
        request.path = c.path;
        request.body = c.body;
        request.headers = c.headers;
        const auto answer = client.send(request);
        ASSERT_TRUE(answer) << c.name << ": " << httplib::to_string(answer.error());
        EXPECT_EQ(answer->status, c.status) << c.name;
        EXPECT_FALSE(ErrorOf(answer->body).empty()) << c.name << ": " << answer->body;
        EXPECT_EQ(answer->get_header_value("Content-Type").rfind("application/json", 0), 0u) << c.name;
    }
    // Whatever the Content-Type says, the body is read as JSON.
    const auto plain = Client().Post(kGetSerie, R"({"args":["0001"]})", "text/plain");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->status, 200) << plain->body;
}

TEST_F(EdgeTest, AnAnnouncedBodyOverTheLimitIsRefusedBeforeItIsSent) {
    Start();
    RawSocket client(port_);
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(client.Send(std::string("POST ") + kGetSerie +
                            " HTTP/1.1\r\nHost: x\r\nContent-Length: 200000000\r\nAuthorization: Bearer " +
                            token_ + "\r\n\r\n"));
    const std::string answer = client.ReadUntilClosed(10s);
    EXPECT_EQ(answer.rfind("HTTP/1.1 413", 0), 0u) << answer;
    EXPECT_NE(answer.find(R"({"error":)"), std::string::npos) << answer;
}

TEST_F(EdgeTest, ConnectionsBeyondTheLimitAreRefusedAtOnceUntilOneCloses) {
    server::HttpLimits limits;
    limits.maxConnections = 3;
    Start(limits);
    std::vector<RawSocket> held;
    for (int i = 0; i < 3; ++i)
        held.emplace_back(port_);
    std::this_thread::sleep_for(200ms);  // the server accepts them
    RawSocket extra(port_);
    ASSERT_TRUE(extra.Send("GET /health HTTP/1.1\r\nHost: x\r\n\r\n"));
    const std::string refused = extra.ReadUntilClosed(10s);
    EXPECT_EQ(refused.rfind("HTTP/1.1 503", 0), 0u) << refused;
    EXPECT_NE(refused.find(R"({"error":)"), std::string::npos) << refused;

    held.pop_back();
    int status = 0;
    for (int attempt = 0; attempt < 50 && status != 200; ++attempt) {
        std::this_thread::sleep_for(50ms);
        const auto answer = Client().Get("/health");
        status = answer ? answer->status : 0;
    }
    EXPECT_EQ(status, 200) << "a freed place serves again";
}

TEST_F(EdgeTest, IdleAndSlowHeaderClientsDoNotDelayARequest) {
    // 500 idle connections and 8 clients sending headers a byte at a time,
    // against a server with two workers.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    const int idle = files.rlim_cur >= 1300 ? 500 : 100;
    server::HttpLimits limits;
    limits.maxConnections = 600;
    Start(limits, 2);
    std::vector<RawSocket> idlers;
    for (int i = 0; i < idle; ++i)
        idlers.emplace_back(port_);
    std::atomic<bool> stop{false};
    std::atomic<int> stillSending{0};
    std::vector<std::thread> slow;
    for (int i = 0; i < 8; ++i) {
        slow.emplace_back([&, port = port_] {
            RawSocket client(port);
            const std::string headers =
                "GET /health HTTP/1.1\r\nHost: x\r\nX-Slow: " + std::string(1000, 'a');
            bool sending = true;
            for (std::size_t at = 0; at < headers.size() && !stop && sending; ++at) {
                sending = client.Send(headers.substr(at, 1));
                std::this_thread::sleep_for(50ms);
            }
            if (sending)
                ++stillSending;
        });
    }
    std::this_thread::sleep_for(300ms);
    const auto answer = Client().Post(kGetSerie, R"({"args":["0001"]})", "application/json");
    const int slowAtAnswer = 8 - static_cast<int>(stillSending.load());
    stop = true;
    for (auto& thread : slow)
        thread.join();
    ASSERT_TRUE(answer) << httplib::to_string(answer.error());
    EXPECT_EQ(answer->status, 200) << answer->body;
    EXPECT_EQ(slowAtAnswer, 8) << "the slow clients were still sending when the request was answered";
}

TEST_F(EdgeTest, SlowHeadersAndIdleKeepAliveConnectionsAreClosed) {
    server::HttpLimits limits;
    limits.headerTimeout = 300ms;
    limits.idleTimeout = 300ms;
    Start(limits);
    RawSocket slow(port_);
    ASSERT_TRUE(slow.Send("GET /health HTTP/1.1\r\nHost:"));
    slow.ReadUntilClosed(10s);
    EXPECT_TRUE(slow.ClosedByPeer()) << "headers not received in time";

    RawSocket idle(port_);
    ASSERT_TRUE(idle.Send("GET /health HTTP/1.1\r\nHost: x\r\n\r\n"));
    const std::string answered = idle.ReadUntilClosed(10s);
    EXPECT_EQ(answered.rfind("HTTP/1.1 200", 0), 0u) << answered;
    EXPECT_TRUE(idle.ClosedByPeer()) << "an idle keep-alive connection is closed";
}

TEST_F(EdgeTest, EachRequestLogsOneJsonLineWithItsClientTextEscaped) {
    Start({}, 2, false);
    testing::internal::CaptureStderr();
    {
        // A newline and a terminal escape, encoded and raw, in the path.
        RawSocket raw(port_);
        ASSERT_TRUE(
            raw.Send("GET /x%0A{\"level\":\"info\"}%1B[2J HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
        raw.ReadUntilClosed(10s);
        RawSocket escaped(port_);
        ASSERT_TRUE(escaped.Send("GET /x\x1b[31mred HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
        escaped.ReadUntilClosed(10s);
    }
    httplib::Client client = Client();
    const auto bad = client.Post(kGetSerie, "{\"args\":[\"\n\x1b[2J\"", "application/json");
    const auto good = client.Post(kGetSerie, R"({"args":["0001"]})", "application/json");
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(bad && good);

    const std::set<std::string> fields{"ts",   "level",   "ref", "peer",     "user",     "route",
                                       "http", "outcome", "ms",  "bytes_in", "bytes_out"};
    std::istringstream lines(log);
    std::vector<nlohmann::json> parsed;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.find('\x1b'), std::string::npos) << line;
        const auto json = nlohmann::json::parse(line, nullptr, false);
        ASSERT_TRUE(json.is_object()) << "not one JSON line: " << line;
        std::set<std::string> keys;
        for (const auto& item : json.items())
            keys.insert(item.key());
        EXPECT_EQ(keys, fields) << line;
        EXPECT_TRUE(std::regex_match(json["ts"].get<std::string>(),
                                     std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)")))
            << line;
        parsed.push_back(json);
    }
    ASSERT_EQ(parsed.size(), 4u) << log;
    EXPECT_EQ(parsed[0]["http"], 404);
    EXPECT_EQ(parsed[1]["http"], 400);
    EXPECT_EQ(parsed[2]["http"], 400);
    EXPECT_EQ(parsed[2]["level"], "warn");
    EXPECT_EQ(parsed[3]["http"], 200);
    EXPECT_EQ(parsed[3]["outcome"], "OK");
    EXPECT_EQ(parsed[3]["user"], "local");
    EXPECT_EQ(parsed[3]["route"], std::string("POST ") + kGetSerie);
    EXPECT_EQ(parsed[3]["bytes_in"], std::string(R"({"args":["0001"]})").size());
    EXPECT_EQ(log.find(token_), std::string::npos) << "the token is never logged";
}

}  // namespace

namespace {

TEST(Compression, LargeAnswersAreCompressedOnlyForClientsThatAskForZstd) {
    server::FakeServer fake;
    const int port = fake.Start();
    const std::string large(200 * 1024, 'x');
    for (int i = 0; i < 3; ++i)
        fake.QueueReply("getSerie", vcl::VariantArray{"", large});
    httplib::Client client("127.0.0.1", port);
    client.set_decompress(false);
    const std::string body = R"({"args":["0001"]})";

    const auto compressed =
        client.Post(kGetSerie, {{"Accept-Encoding", "gzip, zstd"}}, body, "application/json");
    ASSERT_TRUE(compressed);
    EXPECT_EQ(compressed->get_header_value("Content-Encoding"), "zstd");
    EXPECT_LT(compressed->body.size(), large.size() / 10);
    const auto plain = vlm::DecompressZstd(compressed->body);
    ASSERT_TRUE(plain);
    EXPECT_EQ(vcl::wire::DecodeAnswer(*plain).result[1], vcl::Variant(large));

    for (const char* refused : {"gzip", "zstd;q=0"}) {
        const auto asIs = client.Post(kGetSerie, {{"Accept-Encoding", refused}}, body, "application/json");
        ASSERT_TRUE(asIs);
        EXPECT_EQ(asIs->get_header_value("Content-Encoding"), "") << refused;
        EXPECT_EQ(vcl::wire::DecodeAnswer(asIs->body).result[1], vcl::Variant(large)) << refused;
    }
}

TEST(Compression, AcceptEncodingIsReadAsTheHeaderAllows) {
    const std::pair<const char*, bool> cases[] = {
        {"zstd", true},           {" ZSTD ", true},         {"gzip, zstd;q=0.5", true}, {"zstd;q=0", false},
        {"zstd; Q=0.000", false}, {"gzip, deflate", false}, {"zstdx", false},           {"", false},
    };
    for (const auto& [header, accepted] : cases)
        EXPECT_EQ(server::AcceptsZstd(header), accepted) << '"' << header << '"';
}

TEST(Compression, ADamagedOrOverlongFrameIsRefused) {
    const std::string text(100000, 'a');
    const auto frame = server::CompressZstd(text);
    ASSERT_TRUE(frame);
    EXPECT_EQ(vlm::DecompressZstd(*frame), text);
    EXPECT_FALSE(vlm::DecompressZstd(frame->substr(0, frame->size() / 2))) << "truncated";
    EXPECT_FALSE(vlm::DecompressZstd("not a frame at all"));
    EXPECT_FALSE(vlm::DecompressZstd(*frame, 1000)) << "expands beyond the bound";
}

}  // namespace

namespace {

TEST(RequestShape, ValuesAreCountedOutsideStringsOnly) {
    struct Case {
        const char* body;
        std::size_t values;
    } const cases[] = {
        {R"({"args":[]})", 1},
        {R"({"args":[1,2,[3,4]]})", 4},
        {R"({"args":["a,b","c\",d",","]})", 3},
        {R"({"args":["\\",1]})", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(server::CountJsonValues(c.body), c.values) << c.body;
}

}  // namespace
