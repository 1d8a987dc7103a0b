// The mark column of the notes grid is drawn as a check box: the image of the
// note's mark copied one pixel in from the cell's left edge, olive coming out
// in the cell's background, nothing of the default "S"/"N" text left.
#include <gtest/gtest.h>

#include "module_fixture.h"
#include "vcl/grid.h"
#include "vlm/glyphs.h"

namespace {

using namespace zrm_test;

// What the cell must hold: background at column 0 and below the 16-pixel
// image, the image elsewhere with olive replaced by the background.
vcl::TBitmap ExpectedCell(const vcl::TBitmap& image, vcl::TColor background, int width, int height) {
    const vcl::TRgb bg = vcl::ColorToRgb(background);
    const vcl::TRgb olive = vcl::ColorToRgb(vlm::clCheckTransparent);
    vcl::TBitmap expected(width, height, bg);
    for (int y = 0; y < std::min(height, image.Height()); ++y) {
        for (int x = 1; x < std::min(width, image.Width() + 1); ++x) {
            const vcl::TRgb pixel = image.Pixel(x - 1, y);
            expected.SetPixel(x, y, pixel == olive ? bg : pixel);
        }
    }
    return expected;
}

void ExpectSamePixels(const vcl::TBitmap& actual, const vcl::TBitmap& expected, const std::string& what) {
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    int differing = 0;
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x)
            if (!(actual.Pixel(x, y) == expected.Pixel(x, y)))
                ++differing;
    EXPECT_EQ(differing, 0) << what;
}

TEST(CheckBoxDraw, MarkCellShowsTheBoxOfItsMarkOnTheCellBackground) {
    ModuleFixture module;
    auto& form = module.Form();
    form.cdsNotaFiscalGrid->SetData(
        Packet(NoteFields(), {NoteRow("0001", "0000000001", "S"), NoteRow("0001", "0000000002", "N")}));
    vcl::TDBGrid& grid = *form.dbgNotaFiscal;
    const int markColumn = 2;
    ASSERT_EQ(grid.Columns()[markColumn]->FieldName, "IDMARCADO");

    struct Case {
        const char* what;
        int row;
        bool selected;
        vcl::TBitmap image;
        vcl::TColor background;
    };
    const Case cases[] = {
        {"marked note, selected cell", 1, true, vlm::CheckBitmap(), grid.SelectionColor},
        {"unmarked note, plain cell", 2, false, vlm::UncheckBitmap(), vcl::clInfoBk},
    };
    for (const Case& c : cases) {
        const int width = 17, height = grid.DefaultRowHeight;
        vcl::TBitmap cell(width, height, vcl::TRgb{1, 2, 3});
        vcl::TCanvas canvas(cell);
        grid.DrawCell(canvas, vcl::Bounds(0, 0, width, height), c.row, markColumn, c.selected);
        ExpectSamePixels(cell, ExpectedCell(c.image, c.background, width, height), c.what);
    }
}

TEST(CheckBoxDraw, CheckImageCarriesTheTickAndTheBoxEdges) {
    const vcl::TBitmap check = vlm::CheckBitmap();
    const vcl::TBitmap uncheck = vlm::UncheckBitmap();
    const vcl::TRgb black{0, 0, 0}, white{255, 255, 255}, silver{192, 192, 192}, olive{128, 128, 0};
    EXPECT_EQ(check.Pixel(0, 0), olive);
    EXPECT_EQ(check.Pixel(2, 2), black);     // top-left corner of the box
    EXPECT_EQ(check.Pixel(11, 2), black);    // end of the top edge
    EXPECT_EQ(check.Pixel(13, 13), silver);  // shadow corner
    EXPECT_EQ(check.Pixel(6, 10), black);    // bottom of the tick
    EXPECT_EQ(uncheck.Pixel(6, 10), white);
    EXPECT_EQ(check.Pixel(3, 3), white);
}

TEST(CheckBoxDraw, OtherColumnsAndAnEmptyGridKeepTheDefaultPainting) {
    ModuleFixture module;
    auto& form = module.Form();
    form.cdsNotaFiscalGrid->SetData(Packet(NoteFields(), {}));
    vcl::TDBGrid& grid = *form.dbgNotaFiscal;
    vcl::TBitmap cell(17, 17, vcl::TRgb{1, 2, 3});
    vcl::TCanvas canvas(cell);
    grid.DrawCell(canvas, vcl::Bounds(0, 0, 17, 17), 1, 2, false);
    // Nothing drawn by the handler: no black box edge at (3, 2).
    EXPECT_FALSE(cell.Pixel(3, 2) == (vcl::TRgb{0, 0, 0}));
}

}  // namespace
