// The scenario language's vocabulary: every command, its arity and the
// arguments that can be checked before running.
#pragma once

#include <optional>
#include <string>

#include "scenario/script.h"

namespace scenario {

// What is wrong with the command's name or arguments; nullopt when it is well formed.
std::optional<std::string> CheckCommand(const Command& command);

// A whole non-negative decimal number, as counts and rows are written; nullopt otherwise.
std::optional<int> ParseCount(const std::string& text);

}  // namespace scenario
