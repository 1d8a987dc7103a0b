// getNotasFiscais end to end, as users get it: the in-process application
// server on loopback over a database made by init-db, called over HTTP and
// decoded while it arrives, as the desktop decodes it. Beside it, in the
// same run: the server's own time (dispatch and encoding, no HTTP; whole,
// and streamed piece by piece), the client's decode alone, and the raw
// SELECT of the same rows stepped through SQLite.
//
// Sizes are the pending items of branch 0001 over the demo year; each size
// has its own cached database (var/bench). BM_OneDayFilter is the one-day
// selection on the largest database.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <soci/sqlite3/soci-sqlite3.h>  // declares SQLite's API in namespace sqlite_api
#include <zstd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "bench_data.h"
#include "contracts/server_api.h"
#include "db/connection.h"
#include "server/answer_output.h"
#include "server/app_server.h"
#include "server/dispatch.h"
#include "server/notas_sql.h"
#include "server/sqlite_rows.h"
#include "vcl/answer_decoder.h"
#include "vcl/data_packet.h"
#include "vcl/memory_advice.h"
#include "vcl/wire.h"
#include "vlm/net_connection.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace sqlite_api;

constexpr std::string_view kServer = contracts::kRemessaServer;
constexpr std::string_view kMethod = contracts::kGetNotasFiscais;

struct Range {
    const char* from;
    const char* to;
};
constexpr Range kWholeYear{"2026-01-01", "2026-12-31"};
constexpr Range kOneDay{"2026-03-15", "2026-03-15"};

vcl::TDate Date(const char* iso) {
    return *vcl::TDate::ParseIso(iso);
}

vcl::VariantArray Arguments(Range range) {
    return {vcl::Variant::Null(), "0001", "", Date(range.from), Date(range.to), "", "", "S"};
}

// One running server per database, kept for the whole run.
struct Served {
    std::unique_ptr<server::AppServer> app;
    int port = 0;
    std::string token;
};

Served& ServerFor(const std::string& connect) {
    static std::map<std::string, Served> servers;
    Served& served = servers[connect];
    if (!served.app) {
        server::AppServerOptions options{2, true};
        // The 1M-item answer outlasts the default call deadline on a loaded
        // machine; the benchmark measures the read, not the deadline.
        options.callTimeout = std::chrono::minutes(10);
        served.app = std::make_unique<server::AppServer>(connect, options);
        served.port = served.app->Start("127.0.0.1", 0);
        served.token = served.app->OpenSession(server::LocalCaller("0001"));
    }
    return served;
}

struct Received {
    std::string body;             // kept only when asked for
    std::size_t bodyBytes = 0;    // on the wire
    double firstByteSeconds = 0;  // from the request to the answer's headers
    double firstDataSeconds = 0;  // from the request to the first bytes of its body
};

// The call over HTTP; each piece of the body goes to `decoder` when given,
// as it arrives (as the desktop's client decodes), else into `body`.
Received Post(const Served& served, const std::string& request, vcl::wire::AnswerDecoder* decoder = nullptr) {
    httplib::Client client("127.0.0.1", served.port);
    client.set_read_timeout(600, 0);
    httplib::Request call;
    call.method = "POST";
    call.path = "/" + std::string(kServer) + "/" + std::string(kMethod);
    call.headers = {{"Authorization", "Bearer " + served.token}};
    call.set_header("Content-Type", "application/json");
    call.body = request;
    Received received;
    const auto started = Clock::now();
    call.response_handler = [&](const httplib::Response&) {
        received.firstByteSeconds = std::chrono::duration<double>(Clock::now() - started).count();
        return true;
    };
    call.content_receiver = [&](const char* data, std::size_t size, std::uint64_t, std::uint64_t) {
        if (received.bodyBytes == 0)
            received.firstDataSeconds = std::chrono::duration<double>(Clock::now() - started).count();
        received.bodyBytes += size;
        if (decoder != nullptr)
            decoder->Feed({data, size});
        else
            received.body.append(data, size);
        return true;
    };
    httplib::Response response;
    httplib::Error error = httplib::Error::Success;
    if (!client.send(call, response, error) || response.status != 200)
        throw std::runtime_error("the call failed: " + httplib::to_string(error) + " " + received.body);
    return received;
}

std::size_t ItemCount(const vcl::wire::Answer& answer) {
    return answer.result[1][1].AsPacket().RowCount();
}

std::size_t ZstdSize(const std::string& text) {
    std::string compressed(ZSTD_compressBound(text.size()), '\0');
    const std::size_t size = ZSTD_compress(compressed.data(), compressed.size(), text.data(), text.size(), 3);
    return ZSTD_isError(size) ? 0 : size;
}

// The whole call: request, answer on the wire, decoded packets.
void RunHttp(benchmark::State& state, const std::string& connect, Range range) {
    const Served& served = ServerFor(connect);
    const std::string request = vcl::wire::EncodeRequest(Arguments(range));
    // One call first, outside the timing: a running server has its sessions
    // open and its statistics refreshed; a freshly started one pays for that
    // on its first call. Its text gives the compressed size.
    const std::string text = Post(served, request).body;
    Received last;
    std::size_t items = 0;
    double firstByte = 0;
    double firstData = 0;
    for (auto _ : state) {
        vcl::wire::AnswerDecoder decoder;
        last = Post(served, request, &decoder);
        items = ItemCount(decoder.Finish());
        firstByte += last.firstByteSeconds;
        firstData += last.firstDataSeconds;
    }
    state.counters["items"] = static_cast<double>(items);
    state.counters["first_byte_ms"] = firstByte * 1000 / static_cast<double>(state.iterations());
    state.counters["first_data_ms"] = firstData * 1000 / static_cast<double>(state.iterations());
    state.counters["wire_MB"] = static_cast<double>(last.bodyBytes) / 1e6;
    state.counters["zstd_MB"] = static_cast<double>(ZstdSize(text)) / 1e6;
}

void BM_HttpEndToEnd(benchmark::State& state) {
    RunHttp(state, bench::DemoDatabaseForItems(state.range(0)), kWholeYear);
}

void BM_OneDayFilter(benchmark::State& state) {
    RunHttp(state, bench::DemoDatabaseForItems(state.range(0)), kOneDay);
}

// The same call as the desktop makes it: through its connection component,
// the answer received and decoded by the host's own client.
void BM_HttpDesktopClient(benchmark::State& state) {
    const Served& served = ServerFor(bench::DemoDatabaseForItems(state.range(0)));
    const std::string request = vcl::wire::EncodeRequest(Arguments(kWholeYear));
    vlm::TNetConnection connection(nullptr, "netBench");
    connection.ServerName = std::string(kServer);
    connection.Host = "127.0.0.1";
    connection.Port = served.port;
    connection.TimeoutSeconds = 600;
    connection.Access.token = served.token;
    std::size_t items = 0;
    for (auto _ : state)
        items = ItemCount(connection.Post(kMethod, request));
    state.counters["items"] = static_cast<double>(items);
}

// The desktop's receive path alone: a server that only sends the answer's
// text, already made, so that the time is the client's (reading the
// socket, decoding the packets).
void BM_DesktopClientReceive(benchmark::State& state) {
    const Served& served = ServerFor(bench::DemoDatabaseForItems(state.range(0)));
    const std::string answer = Post(served, vcl::wire::EncodeRequest(Arguments(kWholeYear))).body;
    httplib::Server sender;
    sender.Get("/health", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("{}", "application/json");
    });
    sender.Post(R"(/[^/]+/[^/]+)", [&answer](const httplib::Request&, httplib::Response& res) {
        res.set_content(answer, "application/json");
    });
    const int port = sender.bind_to_any_port("127.0.0.1");
    std::thread serving([&sender] { sender.listen_after_bind(); });
    while (!sender.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    {
        vlm::TNetConnection connection(nullptr, "netBench");
        connection.ServerName = std::string(kServer);
        connection.Host = "127.0.0.1";
        connection.Port = port;
        connection.TimeoutSeconds = 600;
        std::size_t items = 0;
        for (auto _ : state)
            items = ItemCount(connection.Post(kMethod, "{}"));
        state.counters["items"] = static_cast<double>(items);
        state.counters["bytes_per_second"] =
            benchmark::Counter(static_cast<double>(answer.size()) * static_cast<double>(state.iterations()),
                               benchmark::Counter::kIsRate);
    }
    sender.stop();
    serving.join();
}

// The server's part alone: the selection and the answer's text.
void BM_ServerAnswer(benchmark::State& state) {
    soci::session session;
    db::Open(session, bench::DemoDatabaseForItems(state.range(0)));
    const vcl::VariantArray args = Arguments(kWholeYear);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = vcl::wire::EncodeAnswer(
            server::Dispatch(session, kServer, kMethod, args, server::LocalCaller("0001")));
        bytes = text.size();
    }
    state.counters["wire_MB"] = static_cast<double>(bytes) / 1e6;
}

// Counts the pieces a streamed answer hands over, keeping none.
class CountingStream : public server::ResponseStream {
public:
    bool Send(std::string_view piece) override {
        bytes += piece.size();
        return true;
    }
    std::size_t PieceBytes() const override { return server::HttpLimits{}.streamPieceBytes; }
    std::size_t bytes = 0;
};

// The server's part alone as it streams: rows to pieces of text, never
// holding the whole answer.
void BM_ServerStreamedAnswer(benchmark::State& state) {
    soci::session session;
    db::Open(session, bench::DemoDatabaseForItems(state.range(0)));
    const vcl::VariantArray args = Arguments(kWholeYear);
    std::size_t bytes = 0;
    for (auto _ : state) {
        CountingStream stream;
        server::AnswerOutput output(&stream);
        server::Dispatch(session, kServer, kMethod, args, server::LocalCaller("0001"), {}, &output);
        bytes = stream.bytes;
    }
    state.counters["wire_MB"] = static_cast<double>(bytes) / 1e6;
}

// The client's part alone: decoding the answer's text.
std::string AnswerText(std::int64_t items) {
    soci::session session;
    db::Open(session, bench::DemoDatabaseForItems(items));
    return vcl::wire::EncodeAnswer(
        server::Dispatch(session, kServer, kMethod, Arguments(kWholeYear), server::LocalCaller("0001")));
}

// The same decode fed in pieces of 64 KB, as the desktop's client does while
// the answer arrives.
void BM_ClientDecodeInPieces(benchmark::State& state) {
    const std::string text = AnswerText(state.range(0));
    constexpr std::size_t kPiece = 64 * 1024;
    for (auto _ : state) {
        vcl::wire::AnswerDecoder decoder;
        for (std::size_t at = 0; at < text.size(); at += kPiece)
            decoder.Feed(std::string_view(text).substr(at, kPiece));
        const vcl::wire::Answer answer = decoder.Finish();
        benchmark::DoNotOptimize(answer);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_ClientDecode(benchmark::State& state) {
    std::string text;
    {
        soci::session session;
        db::Open(session, bench::DemoDatabaseForItems(state.range(0)));
        text = vcl::wire::EncodeAnswer(
            server::Dispatch(session, kServer, kMethod, Arguments(kWholeYear), server::LocalCaller("0001")));
    }
    for (auto _ : state) {
        const vcl::wire::Answer answer = vcl::wire::DecodeAnswer(text);
        benchmark::DoNotOptimize(answer);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Runs one statement, reading every column of every row once; `onRow`
// sees each row. False (and the benchmark skipped) when it cannot prepare.
// Its placeholders are positional, as the server prepares them.
template <typename OnRow>
bool StepThrough(benchmark::State& state, sqlite3* handle, const server::SqlQuery& query, OnRow onRow) {
    sqlite3_stmt* statement = nullptr;
    const std::string text = server::PositionalSql(query.Text());
    if (sqlite3_prepare_v2(handle, text.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        state.SkipWithError(sqlite3_errmsg(handle));
        return false;
    }
    for (std::size_t i = 0; i < query.Values().size(); ++i)
        sqlite3_bind_text(statement, static_cast<int>(i + 1), query.Values()[i].c_str(), -1, SQLITE_STATIC);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0, n = sqlite3_column_count(statement); c < n; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
                benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
            else
                benchmark::DoNotOptimize(sqlite3_column_double(statement, c));
        }
        onRow(statement);
    }
    sqlite3_finalize(statement);
    return true;
}

// The server's statements (the notes, then their items by key a batch of
// notes at a time), every column of every row read once.
void BM_RawSelectOfTheSameRows(benchmark::State& state) {
    // The server's own connection settings (page cache, file mapping), used
    // through SQLite's API with no layer above it.
    soci::session session;
    db::Open(session, bench::DemoDatabaseForItems(state.range(0)));
    sqlite3* handle = static_cast<soci::sqlite3_session_backend*>(session.get_backend())->conn_;
    const server::SqlQuery where =
        server::NotesFilterWhere({"0001", kWholeYear.from, kWholeYear.to, "", "", ""});
    server::SqlQuery notes(server::NotesSql(where.Text(), true));
    for (const auto& value : where.Values())
        notes.Add("", value);
    std::size_t items = 0;
    for (auto _ : state) {
        std::vector<std::string> launches;
        if (!StepThrough(state, handle, notes, [&](sqlite3_stmt* row) {
                launches.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(row, 1)));
            }))
            break;
        items = 0;
        for (const server::SqlQuery& query : server::ItemsOfNotesQueries("0001", std::move(launches))) {
            if (!StepThrough(state, handle, query, [&](sqlite3_stmt*) { ++items; }))
                break;
        }
    }
    state.counters["items"] = static_cast<double>(items);
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->ArgName("items")->Arg(1'000)->Arg(10'000)->Arg(100'000)->Arg(1'000'000);
    b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(0.5);
}

BENCHMARK(BM_HttpEndToEnd)->Apply(Sizes);
BENCHMARK(BM_HttpDesktopClient)->Apply(Sizes);
BENCHMARK(BM_DesktopClientReceive)->Apply(Sizes);
BENCHMARK(BM_ServerAnswer)->Apply(Sizes);
BENCHMARK(BM_ServerStreamedAnswer)->Apply(Sizes);
BENCHMARK(BM_ClientDecode)->Apply(Sizes);
BENCHMARK(BM_ClientDecodeInPieces)->Apply(Sizes);
BENCHMARK(BM_RawSelectOfTheSameRows)->Apply(Sizes);
BENCHMARK(BM_OneDayFilter)->ArgName("items")->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // As zrm-server does before it opens any connection.
    db::UseEachSqliteConnectionFromOneThread();
    // As zrm-host does from its start, its embedded server in the same
    // process as here: the client decodes into memory the last call freed.
    vcl::KeepFreedMemoryForReuse();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
