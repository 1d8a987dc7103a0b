// Formats a value through an edit mask, as the classic mask unit's
// FormatMaskText does when a field with an edit mask is shown.
//
// Mask: input positions 0 9 # L l A a C c; '\' makes the next character a
// literal; '>' and '<' switch to upper / lower case ("<>" switches off);
// '!' is read and ignored; every other character is a literal. After the
// mask, ";0" / ";1" says whether the value carries the literals (default 1);
// a third part names the blank character a masked edit shows while typing,
// which this function does not use: what the value does not fill is a space.
//
// ";0" (literals not saved): value characters fill the input positions in
//   order and the mask's literals are inserted between them; input positions
//   the value does not reach show a space; characters beyond the last input
//   position are kept at the end.
// ";1" (literals saved): the value is split at the mask's literals as they
//   occur in it, in the mask's order; each piece goes into its sub-field
//   (the input positions between two literals), cut to the sub-field's width
//   or padded on the right with spaces. A literal missing from the value ends
//   the value's last piece there, so a value without literals is all one
//   first piece: "12345678000195" under "99.999.999/9999-99" shows as
//   "12.   .   /    -  ".
// Case switches apply to the characters in input positions. Widths count
// UTF-8 code points. An empty mask leaves the value as it is.
#pragma once

#include <string>
#include <string_view>

namespace vcl {

std::string FormatMaskText(std::string_view editMask, std::string_view value);

}  // namespace vcl
