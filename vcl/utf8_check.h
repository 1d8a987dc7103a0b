// Checks that a text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF). Runs of ASCII are skipped sixteen bytes at a time,
// so a text that is mostly ASCII is checked at memory speed.
#pragma once

#include <string_view>

namespace vcl::utf8 {

bool IsValid(std::string_view text);

}  // namespace vcl::utf8
