#include "vcl/mask_text.h"

#include <vector>

#include "vcl/text_format.h"
#include "vcl/utf8.h"

namespace vcl {
namespace {

constexpr std::string_view kBlank = " ";

bool IsInputChar(char c) {
    switch (c) {
        case '0':
        case '9':
        case '#':
        case 'L':
        case 'l':
        case 'A':
        case 'a':
        case 'C':
        case 'c':
            return true;
        default:
            return false;
    }
}

enum class LetterCase { Keep, Upper, Lower };

// One shown position of the mask: an input position or a literal character.
struct Slot {
    bool input = false;
    std::string_view literal;  // the literal's character (UTF-8), for a literal
    LetterCase letterCase = LetterCase::Keep;
};

struct MaskParts {
    std::string_view mask;
    bool saveLiterals = true;
};

MaskParts SplitMask(std::string_view editMask) {
    MaskParts parts;
    std::size_t end = editMask.size();
    for (std::size_t i = 0; i < editMask.size(); ++i) {
        if (editMask[i] == '\\') {
            ++i;
        } else if (editMask[i] == ';') {
            end = i;
            break;
        }
    }
    parts.mask = editMask.substr(0, end);
    if (end < editMask.size()) {
        const std::string_view rest = editMask.substr(end + 1);
        const std::string_view flag = rest.substr(0, rest.find(';'));
        if (!flag.empty())
            parts.saveLiterals = flag.front() != '0';
    }
    return parts;
}

std::vector<Slot> Slots(std::string_view mask) {
    std::vector<Slot> slots;
    LetterCase letterCase = LetterCase::Keep;
    for (std::size_t i = 0; i < mask.size();) {
        const char m = mask[i];
        if (m == '<' && i + 1 < mask.size() && mask[i + 1] == '>') {
            letterCase = LetterCase::Keep;
            i += 2;
        } else if (m == '>' || m == '<') {
            letterCase = m == '>' ? LetterCase::Upper : LetterCase::Lower;
            ++i;
        } else if (m == '!') {
            ++i;
        } else if (IsInputChar(m)) {
            slots.push_back({true, {}, letterCase});
            ++i;
        } else {
            if (m == '\\' && i + 1 < mask.size())
                ++i;
            const std::string_view literal = utf8::CharAt(mask, i);
            slots.push_back({false, literal, letterCase});
            i += literal.size();
        }
    }
    return slots;
}

std::vector<std::string_view> Chars(std::string_view text) {
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < text.size();) {
        chars.push_back(utf8::CharAt(text, i));
        i += chars.back().size();
    }
    return chars;
}

// ";0": value characters in input positions, literals inserted, the rest kept.
std::vector<std::string_view> FillInputs(const std::vector<Slot>& slots,
                                         std::vector<std::string_view> chars) {
    std::size_t at = 0;
    for (const Slot& slot : slots) {
        if (!slot.input)
            chars.insert(chars.begin() + static_cast<std::ptrdiff_t>(at), slot.literal);
        else if (at >= chars.size())
            chars.push_back(kBlank);
        ++at;
    }
    return chars;
}

// Brings the piece [start, stop) to `width` characters: cut, or padded at its end.
void FitPiece(std::vector<std::string_view>& chars, std::size_t start, std::size_t stop, std::size_t width) {
    const auto at = [&](std::size_t i) { return chars.begin() + static_cast<std::ptrdiff_t>(i); };
    if (stop - start < width)
        chars.insert(at(stop), width - (stop - start), kBlank);
    else if (stop - start > width)
        chars.erase(at(start + width), at(stop));
}

// ";1": the value split at the mask's literals, each piece fitted to its sub-field.
std::vector<std::string_view> PadSubFields(const std::vector<Slot>& slots,
                                           std::vector<std::string_view> chars) {
    std::size_t pieceStart = 0;  // where the current sub-field starts in `chars`
    for (std::size_t position = 0; position < slots.size(); ++position) {
        const Slot& slot = slots[position];
        if (slot.input)
            continue;
        std::size_t stop = pieceStart;
        while (stop < chars.size() && chars[stop] != slot.literal)
            ++stop;
        if (stop == chars.size())
            chars.push_back(slot.literal);
        FitPiece(chars, pieceStart, stop, position - pieceStart);
        pieceStart = position + 1;
    }
    FitPiece(chars, pieceStart, chars.size(), slots.size() - pieceStart);
    return chars;
}

void ApplyCase(std::string& out, std::string_view ch, LetterCase letterCase) {
    const std::size_t at = out.size();
    out += ch;
    if (ch.size() != 1)
        return;
    char& c = out[at];
    if (letterCase == LetterCase::Upper && c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    else if (letterCase == LetterCase::Lower && c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
}

}  // namespace

std::string FormatMaskText(std::string_view editMask, std::string_view value) {
    const MaskParts parts = SplitMask(editMask);
    if (parts.mask.empty())
        return std::string(value);  // no mask: the value as it is
    const std::vector<Slot> slots = Slots(parts.mask);
    const std::vector<std::string_view> shown =
        parts.saveLiterals ? PadSubFields(slots, Chars(value)) : FillInputs(slots, Chars(value));
    std::string out;
    out.reserve(value.size() + parts.mask.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const bool input = i < slots.size() && slots[i].input;
        ApplyCase(out, shown[i], input ? slots[i].letterCase : LetterCase::Keep);
    }
    return out;
}

}  // namespace vcl
