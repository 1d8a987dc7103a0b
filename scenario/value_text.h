// Values as the scenario language writes them: dates dd/mm/yyyy, numbers with
// a comma or a point as decimal separator (compared by value), booleans
// true/false, Null as "null", a data packet as "rows:N".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "vcl/variant.h"

namespace scenario {

// A found value as text, with whether it is a number (then compared by value).
struct FoundText {
    std::string text;
    bool numeric = false;
};

// "12", "-3.5", "3,5", "1.234,50"; nullopt when the text is not just a number.
std::optional<double> ParseNumber(std::string_view text);

// Text of a variant: Null "null", packet "rows:N", array "[a; b]", dates dd/mm/yyyy.
FoundText VariantText(const vcl::Variant& value);

// Whether the expected text matches the found value: numbers by value, everything else exactly.
bool Matches(std::string_view expected, const FoundText& found);

// An ISO date ("yyyy-mm-dd", optionally with a midnight time) rewritten as
// dd/mm/yyyy, as databases hand dates back as text; other texts unchanged.
std::string DateTextAsShown(const std::string& text);

}  // namespace scenario
