// Grid drawing: default painting, then the owner-draw event with the dataset's
// fields reading the drawn row.
#include "ui_grid_fixture.h"
#include "vcl/exceptions.h"

namespace vcl::testing_grid {
namespace {

using GridDraw = GridFixture;

int Count(const TBitmap& bitmap, TRgb colour, int fromX = 0) {
    int count = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = fromX; x < bitmap.Width(); ++x) {
            count += bitmap.Pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

TEST_F(GridDraw, DefaultPaintingFillsWithTheCellBackgroundAndWritesTheAlignedText) {
    TBitmap cell(60, 17);
    TCanvas canvas(cell);
    const TRgb white{255, 255, 255}, black{0, 0, 0}, highlight{0, 120, 215};

    grid.DrawCell(canvas, Bounds(0, 0, 60, 17), 1, 3, false);  // "0,000" right-aligned
    EXPECT_GT(Count(cell, black), 0);
    EXPECT_EQ(Count(cell, black), Count(cell, black, 30));  // all ink in the right half
    EXPECT_EQ(Count(cell, white) + Count(cell, black), 60 * 17);

    grid.DrawCell(canvas, Bounds(0, 0, 60, 17), 2, 1, true);  // selected: highlight, white text
    EXPECT_EQ(Count(cell, black), 0);
    EXPECT_GT(Count(cell, white), 0);
    EXPECT_EQ(Count(cell, white) + Count(cell, highlight), 60 * 17);
    EXPECT_EQ(grid.CellText(2, 1), "Feijão");
}

TEST_F(GridDraw, OwnerDrawSeesTheDrawnRowAndTheCellBackgroundWithoutScrolling) {
    int scrolls = 0;
    cds.AfterScroll = [&](TClientDataSet*) { ++scrolls; };
    std::vector<std::string> seen;
    grid.OnDrawColumnCell = [&](TObject*, const TRect& rect, int dataCol, TColumn& column, unsigned state) {
        seen.push_back(column.Field()->AsString() + "@" + std::to_string(dataCol) + "/" +
                       std::to_string(state) + "/" + std::to_string(rect.Top));
        EXPECT_EQ(column.Grid().Name(), "dbgItensNota");
    };
    TColor brushSeen = 0;
    TBitmap raster(40, 51);
    TCanvas canvas(raster);
    auto original = grid.OnDrawColumnCell;
    grid.OnDrawColumnCell = [&](TObject* sender, const TRect& rect, int dataCol, TColumn& column,
                                unsigned state) {
        EXPECT_EQ(static_cast<TDBGrid*>(sender)->Canvas(), &canvas);
        brushSeen = canvas.Brush.Color;
        original(sender, rect, dataCol, column, state);
    };
    for (int row = 1; row <= 3; ++row) {
        grid.DrawCell(canvas, Bounds(0, (row - 1) * 17, 40, 17), row, 1, row == 2);
        EXPECT_EQ(brushSeen, row == 2 ? grid.SelectionColor : grid.Columns()[1]->Color);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Arroz@1/0/0", "Feijão@1/1/17", "Milho@1/0/34"}));
    EXPECT_EQ(cds.RecNo(), 1);
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(grid.Canvas(), nullptr);
}

TEST_F(GridDraw, WhileTheCurrentRowIsEditedEveryRowReadsItsOwnValues) {
    grid.SetSelectedIndex(3);
    Type("7");
    ASSERT_EQ(cds.State(), TDataSetState::Edit);
    cds.FieldByName("NMPRODUTO").SetAsString("Trigo");  // the edit buffer, not yet posted

    // Rows never drawn before read from the dataset; the edited row shows its
    // buffer and, in the selected cell, the editor's text.
    EXPECT_EQ(grid.CellText(3, 1), "Milho");
    EXPECT_EQ(grid.CellText(1, 1), "Trigo");
    EXPECT_EQ(grid.CellText(1, 3), "7");
    EXPECT_EQ(grid.CellText(9, 1), "");  // no such row

    std::vector<std::string> seen;
    grid.OnDrawColumnCell = [&](TObject*, const TRect&, int, TColumn& column, unsigned) {
        seen.push_back(column.Field()->AsString() + "/" + cds.FieldByName("QTITEMPROD").AsString());
    };
    TBitmap raster(40, 17);
    TCanvas canvas(raster);
    for (int row = 1; row <= 3; ++row) {
        grid.DrawCell(canvas, Bounds(0, 0, 40, 17), row, 1, false);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Trigo/10", "Feijão/5", "Milho/2"}));
    // Drawing neither moved nor ended the edit; the buffer is still the current row.
    EXPECT_EQ(cds.State(), TDataSetState::Edit);
    EXPECT_EQ(cds.RecNo(), 1);
    EXPECT_EQ(grid.EditorText(), "7");
    cds.Post();
    EXPECT_EQ(grid.CellText(1, 1), "Trigo");
    EXPECT_EQ(grid.CellText(1, 3), "7");  // posted: the field's own text
}

TEST_F(GridDraw, DrawCellSaysWhetherTheOwnerDrawEventDrew) {
    TBitmap raster(40, 17);
    TCanvas canvas(raster);
    EXPECT_FALSE(grid.DrawCell(canvas, Bounds(0, 0, 40, 17), 1, 1, false));  // no event
    grid.OnDrawColumnCell = [&](TObject*, const TRect& rect, int, TColumn& column, unsigned) {
        if (column.Field()->AsString() == "Feijão") {
            canvas.FillRect(rect);
        }
    };
    EXPECT_FALSE(grid.DrawCell(canvas, Bounds(0, 0, 40, 17), 1, 1, false));  // ran, drew nothing
    EXPECT_TRUE(grid.DrawCell(canvas, Bounds(0, 0, 40, 17), 2, 1, false));
}

TEST_F(GridDraw, AFailingOwnerDrawEventReachesTheCallerAndLeavesTheCursor) {
    grid.OnDrawColumnCell = [&](TObject*, const TRect&, int, TColumn&, unsigned) {
        throw EDatabaseError("falhou");
    };
    TBitmap raster(40, 17);
    TCanvas canvas(raster);
    EXPECT_THROW(grid.DrawCell(canvas, Bounds(0, 0, 40, 17), 3, 1, false), EDatabaseError);
    EXPECT_EQ(cds.FieldByName("NMPRODUTO").AsString(), "Arroz");  // reads the current row again
    EXPECT_EQ(grid.Canvas(), nullptr);
}

}  // namespace
}  // namespace vcl::testing_grid
