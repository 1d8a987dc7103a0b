#include "vlm/glyphs.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vlm {

namespace {

// Standard 16-colour palette indexes.
enum : std::uint8_t {
    Black = 0,
    Maroon = 1,
    Olive = 3,
    Navy = 4,
    Gray = 7,
    Silver = 8,
    Yellow = 11,
    Blue = 12,
    White = 15
};

using Pixels = std::vector<std::uint8_t>;

void Set(Pixels& p, int width, int x, int y, std::uint8_t index) {
    p[y * width + x] = index;
}

// The 16x16 box every check image shares, with its inside in `inside`.
Pixels Box(std::uint8_t inside) {
    Pixels p(16 * 16, Olive);
    for (int x = 2; x <= 11; ++x)
        Set(p, 16, x, 2, Black);
    for (int y = 2; y <= 11; ++y)
        Set(p, 16, 2, y, Black);
    for (int y = 3; y <= 11; ++y)
        for (int x = 3; x <= 11; ++x)
            Set(p, 16, x, y, inside);
    for (int y = 1; y <= 13; ++y)
        Set(p, 16, 13, y, Silver);
    for (int x = 1; x <= 13; ++x)
        Set(p, 16, x, 13, Silver);
    return p;
}

// Pixel art: one string a row, one character a pixel.
Pixels Art(const std::vector<std::string_view>& rows) {
    Pixels p;
    for (std::string_view row : rows) {
        for (char c : row) {
            switch (c) {
                case 'k':
                    p.push_back(Black);
                    break;
                case 'w':
                    p.push_back(White);
                    break;
                case 's':
                    p.push_back(Silver);
                    break;
                case 'g':
                    p.push_back(Gray);
                    break;
                case 'y':
                    p.push_back(Yellow);
                    break;
                case 'b':
                    p.push_back(Blue);
                    break;
                case 'n':
                    p.push_back(Navy);
                    break;
                case 'm':
                    p.push_back(Maroon);
                    break;
                default:
                    p.push_back(Olive);
                    break;
            }
        }
    }
    return p;
}

}  // namespace

vcl::TBitmap UncheckBitmap() {
    return vcl::TBitmap::FromPalette16(16, 16, Box(White));
}

vcl::TBitmap DescheckBitmap() {
    return vcl::TBitmap::FromPalette16(16, 16, Box(Silver));
}

vcl::TBitmap CheckBitmap() {
    Pixels p = Box(White);
    const std::array<std::array<int, 3>, 9> tick{{
        {4, 10, 10},
        {5, 9, 10},
        {6, 4, 4},
        {6, 8, 10},
        {7, 4, 5},
        {7, 7, 9},
        {8, 4, 8},
        {9, 5, 7},
        {10, 6, 6},
    }};
    for (const auto& [row, from, to] : tick)
        for (int x = from; x <= to; ++x)
            Set(p, 16, x, row, Black);
    return vcl::TBitmap::FromPalette16(16, 16, p);
}

vcl::TBitmap ThumbsUpGlyph() {
    return vcl::TBitmap::FromPalette16(16, 16,
                                       Art({
                                           "................",
                                           "......kk........",
                                           ".....kyyk.......",
                                           ".....kyyk.......",
                                           "....kyyyk.......",
                                           "....kyyk........",
                                           "kkkkyyykkkkkk...",
                                           "kbbkyyyyyyyyyk..",
                                           "kbbkyyyyyykkk...",
                                           "kbbkyyyyyyyyyk..",
                                           "kbbkyyyyyykkk...",
                                           "kbbkyyyyyyyyyk..",
                                           "kbbkyyyyyykkk...",
                                           "kkkkkkkkkkkk....",
                                           "................",
                                           "................",
                                       }));
}

vcl::TBitmap SearchGlyph() {
    // Normal image at the left, greyed copy at the right.
    const std::vector<std::string_view> normal{
        "................", ".kkkkkkkkk......", ".kwwwwwwwk......", ".kwkkkkkwk......",
        ".kwwwwwwwk......", ".kwkkkkkwk......", ".kwwwwwwwk......", ".kwkkkkwwk......",
        ".kwwwwwk..kk....", ".kkkkkk..kyyk...", ".........kyyyk..", "....kkkkkyyyyk..",
        "....kyyyyyyyyk..", ".....kkkyyyyk...", ".......kkkkk....", "................",
    };
    Pixels left = Art(normal);
    Pixels both(32 * 16, Olive);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            std::uint8_t c = left[y * 16 + x];
            both[y * 32 + x] = c;
            both[y * 32 + 16 + x] = c == Olive ? Olive : (c == Black ? Gray : Silver);
        }
    }
    return vcl::TBitmap::FromPalette16(32, 16, both);
}

vcl::TBitmap CalendarGlyph() {
    return vcl::TBitmap::FromPalette16(16, 16,
                                       Art({
                                           "................",
                                           "..k..k..k..k....",
                                           ".kmmmmmmmmmmmk..",
                                           ".kmmmmmmmmmmmk..",
                                           ".kwwwwwwwwwwwk..",
                                           ".kwkwkwkwkwkwk..",
                                           ".kwwwwwwwwwwwk..",
                                           ".kwkwkwkwkwkwk..",
                                           ".kwwwwwwwwwwwk..",
                                           ".kwkwkwkwkwkwk..",
                                           ".kwwwwwwwwwwwk..",
                                           ".kwkwkwkwbbwwk..",
                                           ".kwwwwwwwbbwwk..",
                                           ".kkkkkkkkkkkkk..",
                                           "................",
                                           "................",
                                       }));
}

}  // namespace vlm
