// Key names of the scenario language turned into what the form receives: a
// virtual key for key-down and, for keys that type a character, the
// character for key-press.
#pragma once

#include <optional>
#include <string>

namespace scenario {

struct KeyStroke {
    int virtualKey = 0;
    std::optional<char> character;  // sent as key-press after key-down
};

// "space", "delete", "insert", "enter", "escape", "tab", "up", "down",
// "left", "right", "pageup", "pagedown", "home", "end", "f1"..."f12", or a
// single character; nullopt for anything else.
std::optional<KeyStroke> ParseKey(const std::string& name);

// The stroke as typed with modifiers (vcl::shift bits): Ctrl with a letter
// types its control character, Ctrl+Enter and Alt type nothing.
KeyStroke WithModifiers(KeyStroke stroke, unsigned shiftState);

}  // namespace scenario
