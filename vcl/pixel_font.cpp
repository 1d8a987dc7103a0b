#include "vcl/pixel_font.h"

#include <string_view>

namespace vcl::pixel_font {
namespace {

// Each glyph as five rows of "###" patterns; '#' a lit pixel.
struct GlyphSource {
    char32_t ch;
    const char* rows[kGlyphHeight];
};

constexpr GlyphSource kGlyphs[] = {
    {U'0', {"###", "#.#", "#.#", "#.#", "###"}},  {U'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {U'2', {"###", "..#", "###", "#..", "###"}},  {U'3', {"###", "..#", ".##", "..#", "###"}},
    {U'4', {"#.#", "#.#", "###", "..#", "..#"}},  {U'5', {"###", "#..", "###", "..#", "###"}},
    {U'6', {"###", "#..", "###", "#.#", "###"}},  {U'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {U'8', {"###", "#.#", "###", "#.#", "###"}},  {U'9', {"###", "#.#", "###", "..#", "###"}},
    {U'A', {".#.", "#.#", "###", "#.#", "#.#"}},  {U'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {U'C', {".##", "#..", "#..", "#..", ".##"}},  {U'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {U'E', {"###", "#..", "##.", "#..", "###"}},  {U'F', {"###", "#..", "##.", "#..", "#.."}},
    {U'G', {".##", "#..", "#.#", "#.#", ".##"}},  {U'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {U'I', {"###", ".#.", ".#.", ".#.", "###"}},  {U'J', {"..#", "..#", "..#", "#.#", ".#."}},
    {U'K', {"#.#", "#.#", "##.", "#.#", "#.#"}},  {U'L', {"#..", "#..", "#..", "#..", "###"}},
    {U'M', {"#.#", "###", "###", "#.#", "#.#"}},  {U'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    {U'O', {".#.", "#.#", "#.#", "#.#", ".#."}},  {U'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {U'Q', {".#.", "#.#", "#.#", "##.", ".##"}},  {U'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {U'S', {".##", "#..", ".#.", "..#", "##."}},  {U'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {U'U', {"#.#", "#.#", "#.#", "#.#", "###"}},  {U'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {U'W', {"#.#", "#.#", "###", "###", "#.#"}},  {U'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {U'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}},  {U'Z', {"###", "..#", ".#.", "#..", "###"}},
    {U'.', {"...", "...", "...", "...", ".#."}},  {U',', {"...", "...", "...", ".#.", "#.."}},
    {U':', {"...", ".#.", "...", ".#.", "..."}},  {U';', {"...", ".#.", "...", ".#.", "#.."}},
    {U'-', {"...", "...", "###", "...", "..."}},  {U'+', {"...", ".#.", "###", ".#.", "..."}},
    {U'/', {"..#", "..#", ".#.", "#..", "#.."}},  {U'(', {".#.", "#..", "#..", "#..", ".#."}},
    {U')', {".#.", "..#", "..#", "..#", ".#."}},  {U'%', {"#.#", "..#", ".#.", "#..", "#.#"}},
    {U'=', {"...", "###", "...", "###", "..."}},  {U'_', {"...", "...", "...", "...", "###"}},
    {U'\'', {".#.", ".#.", "...", "...", "..."}}, {U'"', {"#.#", "#.#", "...", "...", "..."}},
    {U'!', {".#.", ".#.", ".#.", "...", ".#."}},  {U'?', {"###", "..#", ".#.", "...", ".#."}},
    {U'*', {"#.#", ".#.", "#.#", "...", "..."}},  {U'#', {"#.#", "###", "#.#", "###", "#.#"}},
    {U'|', {".#.", ".#.", ".#.", ".#.", ".#."}},  {U'<', {"..#", ".#.", "#..", ".#.", "..#"}},
    {U'>', {"#..", ".#.", "..#", ".#.", "#.."}},  {U'º', {".#.", "#.#", ".#.", "...", "###"}},
};

constexpr Glyph kBox = {0b111, 0b101, 0b101, 0b101, 0b111};

Glyph Compile(const GlyphSource& source) {
    Glyph glyph{};
    for (int row = 0; row < kGlyphHeight; ++row) {
        for (int col = 0; col < kGlyphWidth; ++col) {
            if (source.rows[row][col] == '#') {
                glyph[row] |= static_cast<std::uint8_t>(1 << (kGlyphWidth - 1 - col));
            }
        }
    }
    return glyph;
}

// Accented Latin-1 letters drawn as their base letter.
char32_t BaseLetter(char32_t ch) {
    constexpr std::u32string_view kAccented = U"ÀÁÂÃÄÅÇÈÉÊËÌÍÎÏÑÒÓÔÕÖÙÚÛÜÝàáâãäåçèéêëìíîïñòóôõöùúûüý";
    constexpr std::u32string_view kBase = U"AAAAAACEEEEIIIINOOOOOUUUUYAAAAAACEEEEIIIINOOOOOUUUUY";
    auto at = kAccented.find(ch);
    return at == std::u32string_view::npos ? ch : kBase[at];
}

}  // namespace

Glyph GlyphFor(char32_t codePoint) {
    if (codePoint == U' ') {
        return {};
    }
    char32_t ch = BaseLetter(codePoint);
    if (ch >= U'a' && ch <= U'z') {
        ch = ch - U'a' + U'A';
    }
    for (const auto& source : kGlyphs) {
        if (source.ch == ch) {
            return Compile(source);
        }
    }
    return kBox;
}

std::vector<char32_t> DecodeUtf8(std::string_view text) {
    std::vector<char32_t> out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80           ? 0
                    : (lead >> 5) == 0x6  ? 1
                    : (lead >> 4) == 0xE  ? 2
                    : (lead >> 3) == 0x1E ? 3
                                          : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

int TextWidth(std::string_view text) {
    auto count = static_cast<int>(DecodeUtf8(text).size());
    return count == 0 ? 0 : count * kAdvance - 1;
}

}  // namespace vcl::pixel_font
