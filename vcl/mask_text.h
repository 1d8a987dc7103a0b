// Formats a value through an edit mask, as a masked edit would show it.
//
// Mask: input positions 0 9 # L l A a C c; '\' makes the next character a
// literal; '>' and '<' switch to upper / lower case ("<>" switches off);
// every other character is a literal. After the mask, ";0" / ";1" says
// whether the value carries the literals (default 1) and a third part gives
// the blank character (default '_'). Value characters fill the input
// positions in order, literals are inserted, missing characters show blank.
// An empty mask leaves the value as it is.
#pragma once

#include <string>
#include <string_view>

namespace vcl {

std::string FormatMaskText(std::string_view editMask, std::string_view value);

}  // namespace vcl
