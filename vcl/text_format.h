// Number and text helpers shared by variants, fields and the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vcl {

// Shortest decimal text that reads back as the same double, point separator ("10.5", "3").
std::string FloatToText(double value);
// Rounded to `decimals` places, half away from zero, on the decimal value the
// double stands for (its shortest round-trip text): 10.0005 -> 10.001.
double RoundDecimal(double value, int decimals);
// The same with the Brazilian decimal comma ("10,5").
std::string FloatToBrText(double value);
// Parses a decimal number with a point or a comma as separator (a text with
// both reads points as thousands separators). Surrounding blanks are allowed.
std::optional<double> ParseDecimal(std::string_view text);
std::optional<std::int64_t> ParseInteger(std::string_view text);
// Formats with a pattern like "#,##0.00" (Brazilian separators: "1.234,50").
// Text outside the digits (prefix, suffix) is copied; ';' starts the negative section.
std::string FormatFloat(std::string_view pattern, double value);

std::string_view Trim(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ToUpperAscii(std::string_view text);
// Upper case for case-insensitive comparisons: ASCII and the accented Latin letters.
std::string UpperText(std::string_view text);
// UpperText(text) == upper (or starts with it when `prefix`), without allocating.
bool MatchesUpper(std::string_view text, std::string_view upper, bool prefix);

}  // namespace vcl
