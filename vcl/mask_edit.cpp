// TMaskEdit: typing shaped by an edit mask "mask;saveLiterals;blank".
#include <cctype>
#include <vector>

#include "vcl/controls.h"

namespace vcl {
namespace {

enum class CaseRule { AsTyped, Upper, Lower };

struct MaskSlot {
    bool literal = false;
    char ch = 0;  // the literal, or the placeholder kind
    CaseRule caseRule = CaseRule::AsTyped;
};

struct ParsedMask {
    std::vector<MaskSlot> slots;
    bool saveLiterals = true;
    char blank = '_';
};

ParsedMask ParseMask(std::string_view editMask) {
    // Split on unescaped ';' into the mask, the save-literals flag and the blank character.
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < editMask.size(); ++i) {
        if (editMask[i] == '\\' && i + 1 < editMask.size()) {
            parts.back() += editMask.substr(i, 2);
            ++i;
        } else if (editMask[i] == ';' && parts.size() < 3) {
            parts.emplace_back();
        } else {
            parts.back() += editMask[i];
        }
    }
    ParsedMask mask;
    if (parts.size() >= 2 && !parts[1].empty()) {
        mask.saveLiterals = parts[1] != "0";
    }
    if (parts.size() >= 3 && !parts[2].empty()) {
        mask.blank = parts[2][0];
    }
    CaseRule caseRule = CaseRule::AsTyped;
    const std::string& body = parts[0];
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\\' && i + 1 < body.size()) {
            mask.slots.push_back({true, body[++i], caseRule});
        } else if (c == '>') {
            caseRule = CaseRule::Upper;
        } else if (c == '<') {
            if (i + 1 < body.size() && body[i + 1] == '>') {
                caseRule = CaseRule::AsTyped;
                ++i;
            } else {
                caseRule = CaseRule::Lower;
            }
        } else if (c == '!') {
            // Blank-trimming direction: no effect on what is stored.
        } else if (std::string_view("09#LlAaCc").find(c) != std::string_view::npos) {
            mask.slots.push_back({false, c, caseRule});
        } else {
            mask.slots.push_back({true, c, caseRule});
        }
    }
    return mask;
}

bool Optional(char kind) {
    return kind == '9' || kind == '#' || kind == 'l' || kind == 'a' || kind == 'c';
}

bool Fits(char kind, char c) {
    const auto u = static_cast<unsigned char>(c);
    switch (kind) {
        case '0':
        case '9':
            return std::isdigit(u) != 0;
        case '#':
            return std::isdigit(u) != 0 || c == '+' || c == '-';
        case 'L':
        case 'l':
            return std::isalpha(u) != 0 || u >= 0x80;
        case 'A':
        case 'a':
            return std::isalnum(u) != 0 || u >= 0x80;
        default:  // 'C', 'c': any character
            return u >= 32;
    }
}

char Shape(const MaskSlot& slot, char c) {
    const auto u = static_cast<unsigned char>(c);
    if (slot.caseRule == CaseRule::Upper) {
        return static_cast<char>(std::toupper(u));
    }
    if (slot.caseRule == CaseRule::Lower) {
        return static_cast<char>(std::tolower(u));
    }
    return c;
}

}  // namespace

TMaskEdit::TMaskEdit(TComponent* owner, std::string name) : TCustomEdit(owner, std::move(name)) {}

void TMaskEdit::TypeText(std::string_view text) {
    if (EditMask.empty()) {
        TCustomEdit::TypeText(text);
        return;
    }
    if (ReadOnly) {
        return;
    }
    const ParsedMask mask = ParseMask(EditMask);
    std::string stored, shown;
    std::size_t slot = 0;
    for (char c : text) {
        // Literals ahead are placed automatically; typing the literal itself just passes it.
        bool consumed = false;
        while (slot < mask.slots.size() && mask.slots[slot].literal) {
            if (mask.saveLiterals) {
                stored += mask.slots[slot].ch;
            }
            shown += mask.slots[slot].ch;
            consumed = c == mask.slots[slot].ch;
            ++slot;
            if (consumed) {
                break;
            }
        }
        if (consumed) {
            continue;
        }
        if (slot >= mask.slots.size()) {
            break;
        }
        const MaskSlot& target = mask.slots[slot];
        if (c == ' ' && Optional(target.ch)) {
            shown += mask.blank;  // a blank in an optional position: shown, not stored
            ++slot;
        } else if (Fits(target.ch, c)) {
            stored += Shape(target, c);
            shown += stored.back();
            ++slot;
        }
        // Anything else is refused, as the keystroke would be.
    }
    for (; slot < mask.slots.size(); ++slot) {
        shown += mask.slots[slot].literal ? mask.slots[slot].ch : mask.blank;
    }
    TCustomEdit::TypeText(stored);
    shown_ = std::move(shown);
}

void TMaskEdit::SetText(std::string_view text) {
    TCustomEdit::SetText(text);
    shown_.clear();
}

std::string TMaskEdit::DisplayText() const {
    if (EditMask.empty()) {
        return Text();
    }
    if (!shown_.empty()) {
        return shown_;
    }
    const ParsedMask mask = ParseMask(EditMask);
    std::string shown;
    std::size_t next = 0;
    const std::string& text = Text();
    for (const MaskSlot& slot : mask.slots) {
        if (slot.literal) {
            shown += slot.ch;
            if (mask.saveLiterals && next < text.size() && text[next] == slot.ch) {
                ++next;
            }
        } else if (next < text.size()) {
            shown += text[next++];
        } else {
            shown += mask.blank;
        }
    }
    return shown;
}

}  // namespace vcl
