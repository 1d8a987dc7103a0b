#include "scenario/keys.h"

#include <map>
#include <string>

#include "vcl/controls.h"

namespace scenario {

namespace {

// Virtual keys of the punctuation that the module's filters see typed.
int VirtualKeyOf(char ch) {
    if (ch >= 'a' && ch <= 'z') {
        return ch - 'a' + 'A';
    }
    if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) {
        return ch;
    }
    switch (ch) {
        case ',':
            return 188;
        case '-':
            return 189;
        case '.':
            return 190;
        default:
            return static_cast<unsigned char>(ch);
    }
}

}  // namespace

std::optional<KeyStroke> ParseKey(const std::string& name) {
    static const std::map<std::string, KeyStroke> named{
        {"space", {vcl::vk::Space, ' '}},
        {"delete", {vcl::vk::Delete, std::nullopt}},
        {"insert", {vcl::vk::Insert, std::nullopt}},
        {"enter", {vcl::vk::Return, '\r'}},
        {"escape", {vcl::vk::Escape, '\x1b'}},
        {"tab", {vcl::vk::Tab, std::nullopt}},
        {"up", {vcl::vk::Up, std::nullopt}},
        {"down", {vcl::vk::Down, std::nullopt}},
        {"left", {vcl::vk::Left, std::nullopt}},
        {"right", {vcl::vk::Right, std::nullopt}},
        {"pageup", {vcl::vk::Prior, std::nullopt}},
        {"pagedown", {vcl::vk::Next, std::nullopt}},
        {"home", {vcl::vk::Home, std::nullopt}},
        {"end", {vcl::vk::End, std::nullopt}},
    };
    if (const auto found = named.find(name); found != named.end()) {
        return found->second;
    }
    for (int number = 1; number <= 12; ++number) {
        if (name == "f" + std::to_string(number)) {
            return KeyStroke{vcl::vk::F1 + number - 1, std::nullopt};
        }
    }
    if (name.size() == 1 && static_cast<unsigned char>(name[0]) >= 0x20 && name[0] != 0x7f) {
        return KeyStroke{VirtualKeyOf(name[0]), name[0]};
    }
    return std::nullopt;
}

KeyStroke WithModifiers(KeyStroke stroke, unsigned shiftState) {
    if (shiftState & vcl::shift::Alt) {
        stroke.character.reset();
    } else if ((shiftState & vcl::shift::Ctrl) && stroke.virtualKey == vcl::vk::Return) {
        stroke.character.reset();  // Ctrl+Enter is a short-cut, not a line typed
    } else if ((shiftState & vcl::shift::Ctrl) && stroke.character) {
        const char ch = *stroke.character;
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')) {
            stroke.character = static_cast<char>(ch & 0x1f);
        }
    }
    return stroke;
}

}  // namespace scenario
