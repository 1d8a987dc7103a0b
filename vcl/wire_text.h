// The pieces of the wire's JSON text that every encoder writes the same way:
// strings, numbers, dates, a packet's field list and a builder cell. Shared
// by the whole-answer encoder and the row-by-row one, so both write one text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "vcl/calendar.h"
#include "vcl/data_packet.h"

namespace vcl::wire::text {

// EWireError when `text` is not valid UTF-8.
void CheckUtf8(std::string_view text);

// Appends a JSON string literal; the text must already be valid UTF-8.
void AppendQuoted(std::string_view text, std::string& out);
// The same after checking the text (EWireError when it is not UTF-8).
void AppendString(std::string_view text, std::string& out);

void AppendInteger(std::int64_t value, std::string& out);
// Always with a '.' or an exponent, so that a round trip keeps the type;
// null for NaN and infinities.
void AppendFloat(double value, std::string& out);
void AppendDate(TDate date, std::string& out);
void AppendDateTime(TDateTime value, std::string& out);

// {"packet":{"fields":[...],"rows":[  — the packet's opening up to its first row.
void AppendPacketHead(std::span<const FieldDef> fields, std::string& out);
inline constexpr std::string_view kPacketTail = "]}}";

// A builder cell as the packet encodes it once appended (a float zero of
// either sign is 0.0). The cell must fit its column (CheckCellFits) and a
// text must have passed CheckUtf8.
void AppendCell(const Cell& cell, std::string& out);

}  // namespace vcl::wire::text
