// GeraSaida of 500 notes with 5,000 items on SQLite. Each run starts from a
// fresh copy of the template database.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "bench_data.h"
#include "contracts/server_api.h"
#include "db/connection.h"
#include "server/dispatch.h"
#include "vcl/data_packet.h"

namespace {

vcl::VariantArray AllTemplateNotes() {
    using vcl::FieldType;
    vcl::PacketBuilder notes({{"CDFILIAL", FieldType::String, 4},
                              {"NRLANCTONF", FieldType::String, 10},
                              {"IDMARCADO", FieldType::FixedChar, 1}});
    vcl::PacketBuilder items({{"IDMARCADO", FieldType::FixedChar, 1},
                              {"CDFILIAL", FieldType::String, 4},
                              {"NRLANCTONF", FieldType::String, 10},
                              {"NRSEQITPROD", FieldType::String, 4},
                              {"QTENVIADA", FieldType::Float, 0}});
    for (int n = 1; n <= bench::kGenerationNotes; ++n) {
        const std::string launch = std::to_string(9000000000LL + n);
        notes.AppendRow({"0001", launch, "S"});
        for (int s = 1; s <= 10; ++s) {
            char sequence[8];
            std::snprintf(sequence, sizeof sequence, "%04d", s);
            items.AppendRow({"S", "0001", launch, std::string(sequence), 7.5});
        }
    }
    return {notes.Finish(), items.Finish(), "0002", "1", "01", vcl::TDate::FromYmd(2026, 6, 30),
            "01",           "0001"};
}

void BM_GeraSaida500Notes5000Items(benchmark::State& state) {
    const std::string source = bench::GenerationTemplate();
    const std::string work = source + ".work";
    const vcl::VariantArray args = AllTemplateNotes();
    for (auto _ : state) {
        state.PauseTiming();
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(work + suffix);
        std::filesystem::copy_file(source, work);
        auto session = std::make_unique<soci::session>();
        db::Open(*session, "sqlite3://db=" + work);
        state.ResumeTiming();

        const vcl::wire::Answer answer = server::Dispatch(
            *session, contracts::kRemessaServer, contracts::kGeraSaida, args, server::LocalCaller("0001"));
        if (answer.result[0].AsString() != "OK" ||
            answer.result[1].AsPacket().RowCount() != bench::kGenerationNotes) {
            state.SkipWithError(("generation failed: " + answer.result[0].AsString()).c_str());
            break;
        }
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GeraSaida500Notes5000Items)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
