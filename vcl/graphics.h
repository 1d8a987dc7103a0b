// Colours, fonts, rectangles, bitmaps and the canvas: an RGB raster that
// cells are drawn on, so drawing can be tested pixel by pixel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcl {

// 0x00BBGGRR as the platform stores colours; system colours resolve through
// ColorToRgb.
using TColor = std::uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
// System colours (high byte set).
constexpr TColor clWindow = 0xFF000005;
constexpr TColor clWindowText = 0xFF000008;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clHighlight = 0xFF00000D;
constexpr TColor clHighlightText = 0xFF00000E;
constexpr TColor clInfoBk = 0xFF000018;

struct TRgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const TRgb&, const TRgb&) = default;
};
TRgb ColorToRgb(TColor color);  // system colours get their classic values

struct TFont {
    std::string Name = "MS Sans Serif";
    int Height = -11;
    TColor Color = clWindowText;
    bool Bold = false;
    bool Symbol = false;  // symbol character set
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};
inline TRect Rect(int left, int top, int right, int bottom) {
    return {left, top, right, bottom};
}
inline TRect Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// An RGB raster.
class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height, TRgb fill = {});
    // A 4-bit image: one palette index (0..15, standard 16-colour palette) per pixel, row by row.
    static TBitmap FromPalette16(int width, int height, const std::vector<std::uint8_t>& indexes);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    TRgb Pixel(int x, int y) const;
    void SetPixel(int x, int y, TRgb colour);  // outside the raster: ignored

private:
    int width_ = 0, height_ = 0;
    std::vector<TRgb> pixels_;
};

struct TBrush {
    TColor Color = clWhite;
};

class TCanvas {
public:
    explicit TCanvas(TBitmap& target) : target_(target) {}
    TBrush Brush;
    TFont Font;
    TBitmap& Target() const { return target_; }

    void FillRect(const TRect& rect);  // with the brush colour, clipped to the raster
    // Copies source's srcRect into destRect (no scaling, clipped); pixels of
    // the transparent colour come out in the brush colour.
    void BrushCopy(const TRect& destRect, const TBitmap& source, const TRect& srcRect,
                   TColor transparentColor);
    // Draws text at (x, y) in a small built-in pixel font with the font colour,
    // clipped to rect, after filling rect with the brush.
    void TextRect(const TRect& rect, int x, int y, const std::string& text);
    // Size of a text in the built-in pixel font.
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;

    // Drawing calls made so far (FillRect, BrushCopy, TextRect), so a caller
    // can tell whether a handler drew anything.
    int DrawCount() const { return drawCount_; }

private:
    TBitmap& target_;
    int drawCount_ = 0;
};

}  // namespace vcl
