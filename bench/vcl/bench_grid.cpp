// Grid drawing benchmarks: a page of an items grid painted cell by cell, with
// an owner-draw event that reads the drawn row, as a front end repaints it.
#include <benchmark/benchmark.h>

#include "items_fixture.h"
#include "vcl/dataset.h"
#include "vcl/forms.h"
#include "vcl/graphics.h"
#include "vcl/grid.h"

namespace {

constexpr std::size_t kNotes = 2'000;  // about 40k rows
constexpr int kPageRows = 30;
constexpr int kCellWidth = 80, kCellHeight = 17;

struct ItemsGrid {
    vcl::TForm form{nullptr, "frm"};
    vcl::TClientDataSet& cds = form.Make<vcl::TClientDataSet>("cdsItensNota");
    vcl::TDataSource& dts = form.Make<vcl::TDataSource>("dtsItensNota");
    vcl::TDBGrid& grid = form.Make<vcl::TDBGrid>("dbgItensNota");
    int marked = 0;

    ItemsGrid() {
        for (const vcl::FieldDef& def : bench::ItemFields())
            cds.AddField(def);
        cds.SetData(vcl::Variant(bench::MakeItemsPacket(kNotes)));
        dts.SetDataSet(&cds);
        grid.SetParent(&form);
        grid.SetDataSource(&dts);
        for (const char* name :
             {"IDMARCADO", "CDARVPROD", "NMPRODUTO", "SGUNIDADE", "QTITEMPROD", "QTENVIADA"})
            grid.AddColumn(name);
        // As the notes grid's check box: reads the drawn row's mark.
        grid.OnDrawColumnCell = [this](vcl::TObject*, const vcl::TRect&, int, vcl::TColumn& column,
                                       unsigned) {
            if (column.FieldName == "IDMARCADO" && column.Field()->AsString() == "S")
                ++marked;
        };
        cds.SetRecNo(kPageRows / 2);
    }

    void PaintPage(vcl::TCanvas& canvas) {
        const int columns = static_cast<int>(grid.Columns().size());
        for (int row = 1; row <= kPageRows; ++row)
            for (int column = 0; column < columns; ++column)
                grid.DrawCell(canvas, vcl::Bounds(0, 0, kCellWidth, kCellHeight), row, column, false);
    }
};

void BM_GridPaintPage(benchmark::State& state) {
    ItemsGrid items;
    vcl::TBitmap raster(kCellWidth, kCellHeight);
    vcl::TCanvas canvas(raster);
    for (auto _ : state)
        items.PaintPage(canvas);
    benchmark::DoNotOptimize(items.marked);
    state.SetItemsProcessed(state.iterations() * kPageRows * 6);
}
BENCHMARK(BM_GridPaintPage)->Unit(benchmark::kMicrosecond);

// The same page while the current row's quantity is being typed.
void BM_GridPaintPageWhileEditing(benchmark::State& state) {
    ItemsGrid items;
    vcl::TBitmap raster(kCellWidth, kCellHeight);
    vcl::TCanvas canvas(raster);
    items.PaintPage(canvas);
    items.cds.Edit();
    items.cds.FieldByName("QTENVIADA").SetAsFloat(1);
    for (auto _ : state)
        items.PaintPage(canvas);
    benchmark::DoNotOptimize(items.marked);
    state.SetItemsProcessed(state.iterations() * kPageRows * 6);
}
BENCHMARK(BM_GridPaintPageWhileEditing)->Unit(benchmark::kMicrosecond);

// Cell texts alone, as the scenario language and the screen's checks read them.
void BM_GridCellTexts(benchmark::State& state) {
    ItemsGrid items;
    std::size_t length = 0;
    for (auto _ : state)
        for (int row = 1; row <= kPageRows; ++row)
            length += items.grid.CellText(row, 2).size();
    benchmark::DoNotOptimize(length);
    state.SetItemsProcessed(state.iterations() * kPageRows);
}
BENCHMARK(BM_GridCellTexts)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
