#include "vcl/mask_text.h"

#include "vcl/text_format.h"

namespace vcl {
namespace {

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

struct MaskParts {
    std::string_view mask;
    bool saveLiterals = true;
    std::string_view blank = "_";
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
        std::string_view rest = editMask.substr(end + 1);
        const std::size_t semi = rest.find(';');
        const std::string_view flag = rest.substr(0, semi);
        if (!flag.empty())
            parts.saveLiterals = flag.front() != '0';
        if (semi != std::string_view::npos && semi + 1 < rest.size()) {
            std::string_view blank = rest.substr(semi + 1);
            parts.blank = blank.substr(0, Utf8SequenceLength(static_cast<unsigned char>(blank.front())));
        }
    }
    return parts;
}

}  // namespace

std::string FormatMaskText(std::string_view editMask, std::string_view value) {
    const MaskParts parts = SplitMask(editMask);
    if (parts.mask.empty()) {
        return std::string(value);  // no mask: the value as it is
    }
    std::string out;
    std::size_t next = 0;  // byte position in value
    auto takeValueChar = [&]() -> std::string_view {
        const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(value[next]));
        std::string_view ch = value.substr(next, length);
        next += ch.size();
        return ch;
    };
    enum class Case { Keep, Upper, Lower } letterCase = Case::Keep;
    const std::string_view mask = parts.mask;
    for (std::size_t i = 0; i < mask.size();) {
        const char m = mask[i];
        if (m == '>' || m == '<') {
            if (m == '<' && i + 1 < mask.size() && mask[i + 1] == '>') {
                letterCase = Case::Keep;
                i += 2;
            } else {
                letterCase = m == '>' ? Case::Upper : Case::Lower;
                ++i;
            }
            continue;
        }
        if (m == '!') {
            ++i;
            continue;
        }
        if (IsInputChar(m)) {
            ++i;
            if (next >= value.size()) {
                out += parts.blank;
                continue;
            }
            std::string ch(takeValueChar());
            if (ch.size() == 1 && letterCase == Case::Upper && ch[0] >= 'a' && ch[0] <= 'z')
                ch[0] = static_cast<char>(ch[0] - 32);
            if (ch.size() == 1 && letterCase == Case::Lower && ch[0] >= 'A' && ch[0] <= 'Z')
                ch[0] = static_cast<char>(ch[0] + 32);
            out += ch;
            continue;
        }
        // A literal, escaped or not.
        if (m == '\\' && i + 1 < mask.size())
            ++i;
        const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(mask[i]));
        const std::string_view literal = mask.substr(i, length);
        i += literal.size();
        out += literal;
        if (parts.saveLiterals && value.substr(next, literal.size()) == literal)
            next += literal.size();
    }
    return out;
}

}  // namespace vcl
