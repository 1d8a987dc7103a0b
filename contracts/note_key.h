// A received note's key as the packets and the tables carry it: the branch
// (CDFILIAL) and the launch number (NRLANCTONF).
#pragma once

#include <compare>
#include <string>

namespace contracts {

struct NoteKey {
    std::string branch, launch;
    friend auto operator<=>(const NoteKey&, const NoteKey&) = default;
};

}  // namespace contracts
