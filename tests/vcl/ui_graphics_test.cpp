// Colours, palette images and the canvas, pixel by pixel.
#include <gtest/gtest.h>

#include "vcl/exceptions.h"
#include "vcl/graphics.h"

namespace vcl {
namespace {

TEST(Colours, SystemAndPlainColoursResolveToRgb) {
    struct Case {
        TColor color;
        TRgb rgb;
    };
    const Case cases[] = {
        {clWindow, {255, 255, 255}},        {clWindowText, {0, 0, 0}},
        {clBtnFace, {240, 240, 240}},       {clHighlight, {0, 120, 215}},
        {clHighlightText, {255, 255, 255}}, {clInfoBk, {255, 255, 225}},
        {clOlive, {128, 128, 0}},           {clNavy, {0, 0, 128}},
        {0x00332211, {0x11, 0x22, 0x33}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColorToRgb(c.color), c.rgb) << std::hex << c.color;
    }
}

TEST(Bitmap, Palette16UsesTheStandardColoursAndRefusesBadInput) {
    std::vector<std::uint8_t> indexes(16);
    for (std::uint8_t i = 0; i < 16; ++i) {
        indexes[i] = i;
    }
    const TBitmap strip = TBitmap::FromPalette16(16, 1, indexes);
    const TRgb expected[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                               {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
                               {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                               {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(strip.Pixel(i, 0), expected[i]) << "palette index " << i;
    }
    EXPECT_THROW(TBitmap::FromPalette16(2, 2, {0, 1, 2}), Exception);  // too few pixels
    EXPECT_THROW(TBitmap::FromPalette16(1, 1, {16}), Exception);       // not in the palette
    EXPECT_THROW(TBitmap(-1, 3), Exception);
    EXPECT_THROW(strip.Pixel(16, 0), Exception);
}

TEST(Canvas, BrushCopyPaintsTransparentPixelsInTheBrushColourAndClips) {
    // 3x2 source: olive (transparent) except a black and a white pixel.
    const TBitmap source = TBitmap::FromPalette16(3, 2, {3, 0, 3, 15, 3, 3});
    TBitmap target(5, 5, {9, 9, 9});
    TCanvas canvas(target);
    canvas.Brush.Color = clHighlight;
    // Source rectangle taller than the image: rows beyond it copy nothing.
    canvas.BrushCopy(Bounds(1, 1, 3, 4), source, Bounds(0, 0, 3, 4), clOlive);

    const TRgb highlight{0, 120, 215}, untouched{9, 9, 9};
    EXPECT_EQ(target.Pixel(1, 1), highlight);
    EXPECT_EQ(target.Pixel(2, 1), (TRgb{0, 0, 0}));
    EXPECT_EQ(target.Pixel(1, 2), (TRgb{255, 255, 255}));
    EXPECT_EQ(target.Pixel(3, 2), highlight);
    EXPECT_EQ(target.Pixel(1, 3), untouched);
    EXPECT_EQ(target.Pixel(0, 0), untouched);

    canvas.BrushCopy(Bounds(4, 4, 3, 2), source, Bounds(0, 0, 3, 2), clOlive);  // clipped at the edge
    EXPECT_EQ(target.Pixel(4, 4), highlight);
}

int CountPixels(const TBitmap& bitmap, TRgb colour) {
    int count = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        for (int x = 0; x < bitmap.Width(); ++x) {
            count += bitmap.Pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

TEST(Canvas, TextRectFillsWithTheBrushAndDrawsGlyphsClipped) {
    TBitmap target(20, 9, {1, 2, 3});
    TCanvas canvas(target);
    canvas.Brush.Color = clWindow;
    canvas.Font.Color = clBlack;
    canvas.TextRect(Rect(0, 0, 20, 7), 1, 1, "S");
    const int sInk = CountPixels(target, {0, 0, 0});
    EXPECT_GT(sInk, 4);
    EXPECT_EQ(CountPixels(target, {255, 255, 255}), 20 * 7 - sInk);
    EXPECT_EQ(CountPixels(target, {1, 2, 3}), 20 * 2);  // below the rectangle: untouched

    canvas.TextRect(Rect(0, 0, 20, 7), 1, 1, "N");
    EXPECT_NE(CountPixels(target, {0, 0, 0}), 0);
    canvas.TextRect(Rect(0, 0, 20, 7), 1, 1, "");
    EXPECT_EQ(CountPixels(target, {0, 0, 0}), 0);

    canvas.TextRect(Rect(0, 0, 2, 7), 1, 1, "ÃÇ~");  // accents and unknown characters still draw
    EXPECT_EQ(CountPixels(target, {0, 0, 0}), 4);    // only the first column of the A fits
    EXPECT_EQ(canvas.TextWidth("ÃÇ~"), 11);
}

}  // namespace
}  // namespace vcl
