// How many values a request's JSON body holds, counted on its text before
// anything is decoded: each decoded value costs far more memory than its
// text, so their number is bounded apart from the body's size.
#pragma once

#include <cstddef>
#include <string_view>

namespace server {

// Enough for a remittance of tens of thousands of items.
inline constexpr std::size_t kMaxRequestValues = 1'000'000;

// At least the number of array elements and object members in `body`
// (commas outside strings, plus one); a malformed text counts as it reads.
std::size_t CountJsonValues(std::string_view body);

}  // namespace server
