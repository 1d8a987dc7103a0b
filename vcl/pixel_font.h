// The tiny built-in pixel font the canvas draws text with: 3x5 glyphs on a
// 4-pixel advance, enough for tests and previews to see that text was drawn.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vcl::pixel_font {

constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;
constexpr int kAdvance = 4;

// Five rows of three bits (bit 2 the leftmost pixel).
using Glyph = std::array<std::uint8_t, kGlyphHeight>;

// The glyph of a code point: lower case draws as upper case, common accented
// Latin letters as their base letter, a space as nothing, anything else as a box.
Glyph GlyphFor(char32_t codePoint);

// Decodes UTF-8 leniently: a malformed byte becomes U+FFFD.
std::vector<char32_t> DecodeUtf8(std::string_view text);

int TextWidth(std::string_view text);

}  // namespace vcl::pixel_font
