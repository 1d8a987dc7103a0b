// The UTF-8 helpers for texts measured in characters. A character starts at
// every byte that is not a continuation byte (10xxxxxx), so malformed text
// never makes them skip a valid character.
#pragma once

#include <cstddef>
#include <string_view>

namespace vcl::utf8 {

// Number of characters (code points; continuation bytes are not counted).
inline std::size_t Length(std::string_view text) {
    std::size_t count = 0;
    for (char ch : text) {
        if ((static_cast<unsigned char>(ch) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

// The first `characters` characters of text, never splitting a character.
inline std::string_view Prefix(std::string_view text, std::size_t characters) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == characters) {
                return text.substr(0, i);
            }
            ++seen;
        }
    }
    return text;
}

// The character starting at byte `at` (with its continuation bytes).
inline std::string_view CharAt(std::string_view text, std::size_t at) {
    std::size_t end = at + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        ++end;
    }
    return text.substr(at, end - at);
}

// Text without its last character.
inline std::string_view DropLast(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0) {
        --end;
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80) {
            break;
        }
    }
    return text.substr(0, end);
}

}  // namespace vcl::utf8
