// Data layer benchmarks on a 1M-row items packet (50k notes of ~20 items).
// Memory is kept for reuse as zrm-host keeps it (KeepFreedMemoryForReuse);
// BM_WireDecodeItemsIntoFreshMemory shows a decode that gets none back.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <simdjson.h>

#include <random>

#include "alloc_counter.h"
#include "items_fixture.h"
#include "vcl/dataset.h"
#include "vcl/filter.h"
#include "vcl/memory_advice.h"
#include "vcl/wire.h"

namespace {

constexpr std::size_t kNotes = 50'000;

struct Items {
    vcl::DataPacket packet;
    std::vector<bench::NoteKey> keys;
    std::string json;
};

Items MakeItems(std::size_t notes) {
    Items made;
    made.packet = bench::MakeItemsPacket(notes, &made.keys);
    made.json = vcl::wire::Encode(vcl::Variant(made.packet));
    return made;
}

const Items& LargeItems() {
    static const Items items = MakeItems(kNotes);
    return items;
}

std::string NoteFilter(const bench::NoteKey& key) {
    return "CDFILIAL = " + vcl::QuotedStr(key.branch) + " AND NRLANCTONF = " + vcl::QuotedStr(key.launch);
}

void DeclareItemFields(vcl::TClientDataSet& cds) {
    for (const vcl::FieldDef& def : bench::ItemFields())
        cds.AddField(def);
}

void BM_WireDecodeItems(benchmark::State& state) {
    const Items& items = LargeItems();
    for (auto _ : state) {
        vcl::Variant decoded = vcl::wire::Decode(items.json);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * items.json.size()));
    state.counters["rows"] = static_cast<double>(items.packet.RowCount());
    state.counters["json_MB"] = static_cast<double>(items.json.size()) / 1e6;
}
BENCHMARK(BM_WireDecodeItems)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same decode when every large buffer is a fresh mapping, as in a
// process's first load: each page is mapped in when first written.
void BM_WireDecodeItemsIntoFreshMemory(benchmark::State& state) {
    const Items& items = LargeItems();
    constexpr int kGlibcDefault = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, kGlibcDefault);
    mallopt(M_TRIM_THRESHOLD, kGlibcDefault);
    for (auto _ : state) {
        vcl::Variant decoded = vcl::wire::Decode(items.json);
        benchmark::DoNotOptimize(decoded);
    }
    vcl::KeepFreedMemoryForReuse();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * items.json.size()));
}
BENCHMARK(BM_WireDecodeItemsIntoFreshMemory)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same decode on 100k rows: small enough to count instructions under callgrind.
void BM_WireDecodeItemsSmall(benchmark::State& state) {
    static const Items items = MakeItems(kNotes / 10);
    for (auto _ : state) {
        vcl::Variant decoded = vcl::wire::Decode(items.json);
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * items.json.size()));
}
BENCHMARK(BM_WireDecodeItemsSmall)->Unit(benchmark::kMillisecond);

// simdjson's on-demand parser over the same text, every cell visited and
// read as its type (strings unescaped): the bar the decoder is held to.
void BM_SimdjsonOnDemandItems(benchmark::State& state) {
    const Items& items = LargeItems();
    const simdjson::padded_string text(items.json);
    simdjson::ondemand::parser parser;
    for (auto _ : state) {
        std::size_t rows = 0;
        double sum = 0;
        std::size_t chars = 0;
        simdjson::ondemand::document doc = parser.iterate(text);
        for (simdjson::ondemand::array row : doc["packet"]["rows"].get_array()) {
            ++rows;
            for (simdjson::ondemand::value cell : row) {
                switch (cell.type()) {
                    case simdjson::ondemand::json_type::string:
                        chars += std::string_view(cell.get_string()).size();
                        break;
                    case simdjson::ondemand::json_type::number:
                        sum += double(cell.get_double());
                        break;
                    case simdjson::ondemand::json_type::object:
                        for (auto field : cell.get_object())
                            chars += std::string_view(field.value().get_string()).size();
                        break;
                    case simdjson::ondemand::json_type::boolean:
                        sum += bool(cell.get_bool()) ? 1 : 0;
                        break;
                    default:
                        break;
                }
            }
        }
        if (rows != items.packet.RowCount())
            state.SkipWithError("simdjson read a different number of rows");
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(chars);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * items.json.size()));
}
BENCHMARK(BM_SimdjsonOnDemandItems)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_WireEncodeItems(benchmark::State& state) {
    const Items& items = LargeItems();
    const vcl::Variant packet(items.packet);
    std::string out;
    for (auto _ : state) {
        out.clear();
        vcl::wire::EncodeTo(packet, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * out.size()));
}
BENCHMARK(BM_WireEncodeItems)->Unit(benchmark::kMillisecond)->Iterations(5);

// Load of the decoded packet: the dataset shares the packet's columns.
void BM_SetDataItems(benchmark::State& state) {
    const vcl::Variant packet(LargeItems().packet);
    for (auto _ : state) {
        vcl::TComponent root(nullptr, "frm");
        auto& cds = root.Make<vcl::TClientDataSet>("cdsItensNota");
        DeclareItemFields(cds);
        cds.SetData(packet);
        benchmark::DoNotOptimize(cds.RecordCount());
    }
}
BENCHMARK(BM_SetDataItems)->Unit(benchmark::kMillisecond);

// Heap held per row by a dataset loaded from the wire text (the text itself freed),
// and the peak during decode + load.
void BM_MemoryPerRow(benchmark::State& state) {
    const Items& items = LargeItems();
    for (auto _ : state) {
        const std::size_t before = bench::HeapInUse();
        bench::ResetHeapPeak();
        vcl::TComponent root(nullptr, "frm");
        auto& cds = root.Make<vcl::TClientDataSet>("cdsItensNota");
        DeclareItemFields(cds);
        cds.SetData(vcl::wire::Decode(items.json));
        const double rows = static_cast<double>(cds.RecordCount());
        state.counters["held_bytes_per_row"] = static_cast<double>(bench::HeapInUse() - before) / rows;
        state.counters["peak_bytes_per_row"] = static_cast<double>(bench::HeapPeak() - before) / rows;
        cds.SetFilter(NoteFilter(items.keys[0]));
        cds.SetFiltered(true);
        state.counters["held_with_filter_index_per_row"] =
            static_cast<double>(bench::HeapInUse() - before) / rows;
    }
}
BENCHMARK(BM_MemoryPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);

// The notes grid moves: the items dataset is re-filtered to the new note.
void BM_RefilterToOneNote(benchmark::State& state) {
    const Items& items = LargeItems();
    vcl::TComponent root(nullptr, "frm");
    auto& cds = root.Make<vcl::TClientDataSet>("cdsItensNota");
    DeclareItemFields(cds);
    cds.SetData(vcl::Variant(items.packet));
    cds.SetFilter(NoteFilter(items.keys[0]));
    cds.SetFiltered(true);  // builds the index once
    std::mt19937 random(7);
    std::size_t rowsShown = 0;
    for (auto _ : state) {
        const bench::NoteKey& key = items.keys[random() % items.keys.size()];
        cds.DisableControls();
        cds.SetFiltered(false);
        cds.SetFilter(NoteFilter(key));
        cds.SetFiltered(true);
        cds.EnableControls();
        rowsShown += static_cast<std::size_t>(cds.RecordCount());
    }
    state.counters["rows_per_note"] =
        static_cast<double>(rowsShown) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RefilterToOneNote)->Unit(benchmark::kMicrosecond);

// Filter change on an indexed dataset whose filter stays on (one step only).
void BM_RefilterFilterOn(benchmark::State& state) {
    const Items& items = LargeItems();
    vcl::TComponent root(nullptr, "frm");
    auto& cds = root.Make<vcl::TClientDataSet>("cdsItensNota");
    DeclareItemFields(cds);
    cds.SetData(vcl::Variant(items.packet));
    cds.SetFiltered(true);
    std::mt19937 random(11);
    for (auto _ : state)
        cds.SetFilter(NoteFilter(items.keys[random() % items.keys.size()]));
}
BENCHMARK(BM_RefilterFilterOn)->Unit(benchmark::kMicrosecond);

// Locate on two key fields, case-insensitive, as the items post does on the notes.
void BM_LocateTwoKeys(benchmark::State& state) {
    const Items& items = LargeItems();
    const bool onItems = state.range(0) == 1;
    vcl::TComponent root(nullptr, "frm");
    auto& cds = root.Make<vcl::TClientDataSet>("cds");
    if (onItems) {
        DeclareItemFields(cds);
        cds.SetData(vcl::Variant(items.packet));
    } else {
        cds.AddField({"CDFILIAL", vcl::FieldType::String, 4});
        cds.AddField({"NRLANCTONF", vcl::FieldType::String, 10});
        cds.CreateDataSet();
        for (const auto& key : items.keys) {
            cds.Append();
            cds.FieldByName("CDFILIAL").SetAsString(key.branch);
            cds.FieldByName("NRLANCTONF").SetAsString(key.launch);
            cds.Post();
        }
    }
    std::mt19937 random(3);
    for (auto _ : state) {
        const auto& key = items.keys[random() % items.keys.size()];
        const bool found =
            cds.Locate("CDFILIAL;NRLANCTONF",
                       vcl::Variant(vcl::VariantArray{vcl::Variant(key.branch), vcl::Variant(key.launch)}),
                       {true, false});
        if (!found)
            state.SkipWithError("key not found");
    }
    state.counters["rows"] = static_cast<double>(cds.RecordCount());
}
BENCHMARK(BM_LocateTwoKeys)->Arg(0)->Arg(1)->ArgNames({"items"})->Unit(benchmark::kMicrosecond);

vcl::DataPacket SmallItems() {
    static const vcl::DataPacket packet = bench::MakeItemsPacket(2'500);  // ~50k rows
    return packet;
}

// Walks 50k rows deleting about half of them.
void BM_DeleteHalfWhileWalking(benchmark::State& state) {
    const vcl::Variant packet(SmallItems());
    for (auto _ : state) {
        state.PauseTiming();
        vcl::TComponent root(nullptr, "frm");
        auto& cds = root.Make<vcl::TClientDataSet>("cdsItensAux");
        DeclareItemFields(cds);
        cds.SetData(packet);
        state.ResumeTiming();
        auto& quantity = cds.FieldByName("QTITEMPROD");
        cds.First();
        while (!cds.Eof()) {
            if (quantity.AsFloat() > 625) {
                cds.Delete();
            } else {
                cds.Next();
            }
        }
        benchmark::DoNotOptimize(cds.RecordCount());
    }
    state.counters["rows"] = static_cast<double>(packet.AsPacket().RowCount());
}
BENCHMARK(BM_DeleteHalfWhileWalking)->Unit(benchmark::kMillisecond);

// Copies 50k rows into an empty dataset, with Insert (before the current row) or Append.
void BM_InsertPostLoop(benchmark::State& state) {
    const vcl::Variant packet(SmallItems());
    const bool insert = state.range(0) == 1;
    for (auto _ : state) {
        state.PauseTiming();
        vcl::TComponent root(nullptr, "frm");
        auto& source = root.Make<vcl::TClientDataSet>("cdsItensNota");
        auto& target = root.Make<vcl::TClientDataSet>("cdsItensAux");
        DeclareItemFields(source);
        DeclareItemFields(target);
        source.SetData(packet);
        target.CreateDataSet();
        state.ResumeTiming();
        const auto& fields = source.Fields();
        for (source.First(); !source.Eof(); source.Next()) {
            if (insert) {
                target.Insert();
            } else {
                target.Append();
            }
            for (std::size_t i = 0; i < fields.size(); ++i)
                target.Fields()[i]->SetValue(fields[i]->Value());
            target.Post();
        }
        benchmark::DoNotOptimize(target.RecordCount());
    }
}
BENCHMARK(BM_InsertPostLoop)->Arg(0)->Arg(1)->ArgNames({"insert"})->Unit(benchmark::kMillisecond);

// Edits one column of every row of 50k, as the send-flag recomputation does.
void BM_EditPostLoop(benchmark::State& state) {
    const vcl::Variant packet(SmallItems());
    for (auto _ : state) {
        state.PauseTiming();
        vcl::TComponent root(nullptr, "frm");
        auto& cds = root.Make<vcl::TClientDataSet>("cdsItensNota");
        DeclareItemFields(cds);
        cds.SetData(packet);
        state.ResumeTiming();
        auto& mark = cds.FieldByName("IDMARCADO");
        for (cds.First(); !cds.Eof(); cds.Next()) {
            cds.Edit();
            mark.SetAsString("S");
            cds.Post();
        }
        benchmark::DoNotOptimize(cds.RecordCount());
    }
}
BENCHMARK(BM_EditPostLoop)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    vcl::KeepFreedMemoryForReuse();  // as zrm-host does at start
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
