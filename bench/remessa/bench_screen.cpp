// The screen's bulk passes at scale: marking every note (each move re-filters
// the items) and a confirmation that copies every marked note's items, up to
// 100k notes of ten items each.
#include <benchmark/benchmark.h>

#include "module_fixture.h"

namespace {

using namespace zrm_test;

std::string Lancto(int n) {
    std::string text = std::to_string(n);
    return std::string(10 - text.size(), '0') + text;
}

// `notes` notes of `perNote` items each, every item with a quantity to send.
void Load(Cli_zrm90000::TfrmRemessaAnalise& form, int notes, int perNote, const std::string& mark) {
    std::vector<std::vector<vcl::Variant>> noteRows, itemRows;
    noteRows.reserve(notes);
    itemRows.reserve(static_cast<std::size_t>(notes) * perNote);
    for (int n = 1; n <= notes; ++n) {
        const std::string filial = n % 2 == 0 ? "0001" : "0002";
        noteRows.push_back(NoteRow(filial, Lancto(n), mark, std::to_string(n)));
        for (int i = 1; i <= perNote; ++i)
            itemRows.push_back(ItemRow(filial, Lancto(n), std::to_string(i), 10, 5));
    }
    form.cdsItensNota->SetData(Packet(ItemFields(), itemRows));
    form.cdsNotaFiscalGrid->SetData(Packet(NoteFields(), noteRows));
}

void BM_MarkAll(benchmark::State& state) {
    ModuleFixture module;
    auto& form = module.Form();
    Load(form, static_cast<int>(state.range(0)), 10, "N");
    vcl::TColumn& markColumn = *form.dbgNotaFiscal->Columns()[2];
    for (auto _ : state) {
        form.dbgNotaFiscalTitleClick(markColumn);
    }
    state.counters["notes"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_MarkAll)->Arg(10000)->Arg(100000)->ArgName("notes")->Unit(benchmark::kMillisecond);

void BM_Confirm(benchmark::State& state) {
    ModuleFixture module;
    auto& form = module.Form();
    Load(form, static_cast<int>(state.range(0)), 10, "S");
    for (auto _ : state) {
        module.application.Dispatch([&] { form.sbtConfirmarClick(form.sbtConfirmar); });
    }
    if (module.loop.modalShown == 0 || form.cdsItensAux->RecordCount() != state.range(0) * 10) {
        state.SkipWithError("the confirmation did not reach the dialog with every item");
    }
    state.counters["notes"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_Confirm)->Arg(5000)->Arg(100000)->ArgName("notes")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
