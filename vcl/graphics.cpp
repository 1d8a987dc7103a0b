#include "vcl/graphics.h"

#include <algorithm>

#include "vcl/exceptions.h"
#include "vcl/pixel_font.h"

namespace vcl {
namespace {

constexpr TRgb kPalette16[16] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {128, 128, 128}, {192, 192, 192}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

}  // namespace

TRgb ColorToRgb(TColor color) {
    if ((color & 0xFF000000u) != 0) {
        switch (color) {
            case clWindow:
            case clHighlightText:
                return {255, 255, 255};
            case clWindowText:
                return {0, 0, 0};
            case clBtnFace:
                return {240, 240, 240};
            case clHighlight:
                return {0, 120, 215};
            case clInfoBk:
                return {255, 255, 225};
            default:
                return {0, 0, 0};
        }
    }
    return {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
            static_cast<std::uint8_t>((color >> 16) & 0xFF)};
}

TBitmap::TBitmap(int width, int height, TRgb fill) {
    if (width < 0 || height < 0) {
        throw Exception("Invalid bitmap size " + std::to_string(width) + "x" + std::to_string(height));
    }
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

TBitmap TBitmap::FromPalette16(int width, int height, const std::vector<std::uint8_t>& indexes) {
    TBitmap bitmap(width, height);
    if (indexes.size() != bitmap.pixels_.size()) {
        throw Exception("A " + std::to_string(width) + "x" + std::to_string(height) + " image needs " +
                        std::to_string(bitmap.pixels_.size()) + " palette indexes, got " +
                        std::to_string(indexes.size()));
    }
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        if (indexes[i] > 15) {
            throw Exception("Palette index " + std::to_string(indexes[i]) + " is outside the 16 colours");
        }
        bitmap.pixels_[i] = kPalette16[indexes[i]];
    }
    return bitmap;
}

TRgb TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        throw Exception("Pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is outside the bitmap");
    }
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

void TBitmap::SetPixel(int x, int y, TRgb colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
        colour;
}

void TCanvas::FillRect(const TRect& rect) {
    ++drawCount_;
    const TRgb colour = ColorToRgb(Brush.Color);
    const int left = std::max(rect.Left, 0), right = std::min(rect.Right, target_.Width());
    const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, target_.Height());
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            target_.SetPixel(x, y, colour);
        }
    }
}

void TCanvas::BrushCopy(const TRect& destRect, const TBitmap& source, const TRect& srcRect,
                        TColor transparentColor) {
    ++drawCount_;
    const TRgb transparent = ColorToRgb(transparentColor);
    const TRgb brush = ColorToRgb(Brush.Color);
    const int width = std::min(destRect.Width(), srcRect.Width());
    const int height = std::min(destRect.Height(), srcRect.Height());
    for (int dy = 0; dy < height; ++dy) {
        for (int dx = 0; dx < width; ++dx) {
            const int sx = srcRect.Left + dx, sy = srcRect.Top + dy;
            if (sx < 0 || sy < 0 || sx >= source.Width() || sy >= source.Height()) {
                continue;  // nothing to copy from outside the source
            }
            const TRgb pixel = source.Pixel(sx, sy);
            target_.SetPixel(destRect.Left + dx, destRect.Top + dy, pixel == transparent ? brush : pixel);
        }
    }
}

int TCanvas::TextWidth(const std::string& text) const {
    return pixel_font::TextWidth(text);
}

int TCanvas::TextHeight(const std::string& /*text*/) const {
    return pixel_font::kGlyphHeight;
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const std::string& text) {
    FillRect(rect);
    const TRgb ink = ColorToRgb(Font.Color);
    const int left = std::max(rect.Left, 0), right = std::min(rect.Right, target_.Width());
    const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, target_.Height());
    int penX = x;
    for (char32_t ch : pixel_font::DecodeUtf8(text)) {
        const pixel_font::Glyph glyph = pixel_font::GlyphFor(ch);
        for (int row = 0; row < pixel_font::kGlyphHeight; ++row) {
            for (int col = 0; col < pixel_font::kGlyphWidth; ++col) {
                if ((glyph[row] >> (pixel_font::kGlyphWidth - 1 - col) & 1) == 0) {
                    continue;
                }
                const int px = penX + col, py = y + row;
                if (px >= left && px < right && py >= top && py < bottom) {
                    target_.SetPixel(px, py, ink);
                }
            }
        }
        penX += pixel_font::kAdvance;
    }
}

}  // namespace vcl
