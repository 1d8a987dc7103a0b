#include "scenario/keys.h"

#include <map>

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
    };
    if (const auto found = named.find(name); found != named.end()) {
        return found->second;
    }
    if (name.size() == 1 && static_cast<unsigned char>(name[0]) >= 0x20 && name[0] != 0x7f) {
        return KeyStroke{VirtualKeyOf(name[0]), name[0]};
    }
    return std::nullopt;
}

KeyStroke WithModifiers(KeyStroke stroke, unsigned shiftState) {
    if (shiftState & vcl::shift::Alt) {
        stroke.character.reset();
    } else if ((shiftState & vcl::shift::Ctrl) && stroke.character) {
        const char ch = *stroke.character;
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z')) {
            stroke.character = static_cast<char>(ch & 0x1f);
        }
    }
    return stroke;
}

}  // namespace scenario
