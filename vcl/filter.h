// Filter expressions of client datasets: FIELD = 'text' joined by AND.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vcl {

struct FilterTerm {
    std::string field;
    std::string value;  // compared case-sensitively
    friend bool operator==(const FilterTerm&, const FilterTerm&) = default;
};

// Parses the filter text; a blank text has no terms. A malformed text raises
// EDatabaseError whose message quotes it.
std::vector<FilterTerm> ParseFilter(std::string_view text);

// Puts a value between single quotes, doubling the quotes inside.
std::string QuotedStr(std::string_view value);

}  // namespace vcl
