#include "vcl/row_block.h"

#include <bit>
#include <cstring>

#include "vcl/calendar.h"
#include "vcl/wire_decode_internal.h"

namespace vcl::wire::detail {
namespace {

[[noreturn]] void FailCell(JsonReader& reader, std::size_t row, const FieldDef& def, const char* expected) {
    reader.Fail("row " + std::to_string(row + 1) + ", field " + def.name + ": expected " + expected);
}

[[noreturn]] void FailWidth(JsonReader& reader, std::size_t row, std::size_t width) {
    reader.Fail("row " + std::to_string(row + 1) + " has a wrong number of values for " +
                std::to_string(width) + " fields");
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::memcmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// {"date":"YYYY-MM-DD"} or {"datetime":"YYYY-MM-DDTHH:MM:SS"} written
// without blanks, as the server writes them: read in place, with the same
// checks as the general reading. Anything else (blanks, escapes, a value
// that does not parse) is left to the general reading, which also words the
// error: false, and the reader has not moved.
bool ReadCompactCalendar(JsonReader& reader, FieldType type, std::int64_t& raw) {
    constexpr std::string_view kDate = "{\"date\":\"";
    constexpr std::string_view kDateTime = "{\"datetime\":\"";
    const std::string_view rest = reader.Remaining();
    if (StartsWith(rest, kDate)) {
        if (rest.size() < kDate.size() + 12 || rest.substr(kDate.size() + 10, 2) != "\"}")
            return false;
        const auto date = TDate::ParseIso(rest.substr(kDate.size(), 10));
        if (!date)
            return false;
        raw = type == FieldType::Date ? date->days : TDateTime::FromDate(*date).seconds;
        reader.Seek(reader.Position() + kDate.size() + 12);
        return true;
    }
    if (type == FieldType::DateTime && StartsWith(rest, kDateTime)) {
        if (rest.size() < kDateTime.size() + 21 || rest.substr(kDateTime.size() + 19, 2) != "\"}")
            return false;
        const auto value = TDateTime::ParseIso(rest.substr(kDateTime.size(), 19));
        if (!value)
            return false;
        raw = value->seconds;
        reader.Seek(reader.Position() + kDateTime.size() + 21);
        return true;
    }
    return false;
}

}  // namespace

RowBlock::RowBlock(const PacketStore& store) : width_(store.columns.size()), cells_(width_ * kRows) {
    for (const auto& column : store.columns)
        types_.push_back(column->Def().type);
}

void RowBlock::ReadRow(JsonReader& reader, const PacketStore& store, std::size_t row) {
    reader.Peek();  // past blanks
    const std::size_t start = reader.Position();
    if (ReadCompactRow(reader, store))
        return;
    reader.Seek(start);
    ReadAnyRow(reader, store, row);
}

bool RowBlock::ReadCompactRow(JsonReader& reader, const PacketStore& store) {
    if (!reader.TryConsume('['))
        return false;
    for (std::size_t c = 0; c < width_; ++c) {
        if (c > 0 && !reader.TryConsume(','))
            return false;
        Cell& cell = At(c, rows_);
        if (reader.Current() == 'n') {
            if (!reader.TryConsume("null"))
                return false;
            cell.kind = Kind::Null;
            continue;
        }
        cell.kind = Kind::Value;
        switch (types_[c]) {
            case FieldType::String:
            case FieldType::FixedChar: {
                std::string_view text;
                if (!reader.TryReadPlainString(text))
                    return false;
                SetText(*store.columns[c], cell, text, Previous(c));
                break;
            }
            case FieldType::Integer: {
                double real = 0;
                if (reader.TryReadPlainNumber(cell.raw, real) != JsonReader::Number::Integer)
                    return false;
                break;
            }
            case FieldType::Float: {
                std::int64_t integer = 0;
                double real = 0;
                const JsonReader::Number number = reader.TryReadPlainNumber(integer, real);
                if (number == JsonReader::Number::None)
                    return false;
                const double value =
                    number == JsonReader::Number::Integer ? static_cast<double>(integer) : real;
                cell.raw = std::bit_cast<std::int64_t>(value == 0 ? 0.0 : value);
                break;
            }
            case FieldType::Boolean:
                if (reader.TryConsume("true"))
                    cell.raw = 1;
                else if (reader.TryConsume("false"))
                    cell.raw = 0;
                else
                    return false;
                break;
            case FieldType::Date:
            case FieldType::DateTime:
                if (!ReadCompactCalendar(reader, types_[c], cell.raw))
                    return false;
                break;
        }
    }
    return reader.TryConsume(']');
}

void RowBlock::ReadAnyRow(JsonReader& reader, const PacketStore& store, std::size_t row) {
    if (reader.Peek() != '[')
        reader.Fail("row " + std::to_string(row + 1) + " is not an array");
    reader.Expect('[');
    for (std::size_t c = 0; c < width_; ++c) {
        if (c > 0 && !reader.Consume(','))
            FailWidth(reader, row, width_);
        ReadCell(reader, *store.columns[c], c, row);
    }
    if (!reader.Consume(']'))
        FailWidth(reader, row, width_);
}

void RowBlock::ReadText(JsonReader& reader, const Column& column, Cell& cell, const Cell* previous) {
    SetText(column, cell, reader.ReadString(scratch_), previous);
}

inline void RowBlock::SetText(const Column& column, Cell& cell, std::string_view text, const Cell* previous) {
    cell.kind = Kind::Text;
    cell.escaped = text.data() == scratch_.data();
    if (cell.escaped) {
        cell.raw = static_cast<std::int64_t>(escaped_.size());
        escaped_.append(text);
    } else {
        cell.text = text.data();
    }
    cell.size = static_cast<std::uint32_t>(text.size());
    // Neighbouring rows often repeat a value (the items of one note): skip the lookup.
    if (previous && (previous->kind == Kind::Text || previous->kind == Kind::Repeat) &&
        SameText(std::string_view(TextOf(*previous), previous->size), text)) {
        cell.kind = Kind::Repeat;
        return;
    }
    cell.hash = column.Prepare(text);
}

void RowBlock::ReadCell(JsonReader& reader, const Column& column, std::size_t columnIndex, std::size_t row) {
    const FieldDef& def = column.Def();
    Cell& cell = At(columnIndex, rows_);
    const char c = reader.Peek();
    if (c == 'n') {
        reader.ReadLiteral();
        cell.kind = Kind::Null;
        return;
    }
    cell.kind = Kind::Value;
    switch (def.type) {
        case FieldType::String:
        case FieldType::FixedChar:
            if (c != '"')
                FailCell(reader, row, def, "a string");
            ReadText(reader, column, cell, Previous(columnIndex));
            return;
        case FieldType::Integer:
        case FieldType::Float: {
            if (c != '-' && (c < '0' || c > '9'))
                FailCell(reader, row, def, def.type == FieldType::Float ? "a number" : "an integer");
            std::int64_t integer = 0;
            double real = 0;
            const bool isInteger = reader.ReadNumber(integer, real);
            if (def.type == FieldType::Integer) {
                if (!isInteger)
                    FailCell(reader, row, def, "an integer");
                cell.raw = integer;
            } else {
                const double value = isInteger ? static_cast<double>(integer) : real;
                cell.raw = std::bit_cast<std::int64_t>(value == 0 ? 0.0 : value);
            }
            return;
        }
        case FieldType::Boolean:
            if (c != 't' && c != 'f')
                FailCell(reader, row, def, "a boolean");
            cell.raw = reader.ReadLiteral() == 't' ? 1 : 0;
            return;
        case FieldType::Date:
        case FieldType::DateTime: {
            const char* expected = def.type == FieldType::Date ? "a date" : "a date-time";
            if (c != '{')
                FailCell(reader, row, def, expected);
            if (ReadCompactCalendar(reader, def.type, cell.raw))
                return;
            reader.Expect('{');
            if (reader.Peek() != '"')
                FailCell(reader, row, def, expected);
            const std::string_view key = reader.ReadString(scratch_);
            if (key != "date" && (key != "datetime" || def.type == FieldType::Date))
                FailCell(reader, row, def, expected);
            const TDateTime value = ReadCalendarBody(reader, key);
            cell.raw = def.type == FieldType::Date ? value.Date().days : value.seconds;
            return;
        }
    }
}

void RowBlock::AppendColumn(Column& column, std::size_t columnIndex) const {
    const Cell* cells = &cells_[columnIndex * kRows];
    if (!column.IsString()) {
        const std::size_t first = column.Size();
        std::int64_t* out = column.ExtendCells(rows_);
        for (std::size_t r = 0; r < rows_; ++r) {
            const bool null = cells[r].kind == Kind::Null;
            out[r] = null ? 0 : cells[r].raw;
            if (null)
                column.MarkNull(first + r);
        }
        return;
    }
    std::uint32_t* out = column.ExtendCodes(rows_);
    std::uint32_t last = column.LastCode();
    for (std::size_t r = 0; r < rows_; ++r) {
        const Cell& cell = cells[r];
        switch (cell.kind) {
            case Kind::Null:
                out[r] = Column::kNullCode;
                break;
            case Kind::Repeat:
                out[r] = last;
                break;
            default:
                last = column.InternPrepared(std::string_view(TextOf(cell), cell.size), cell.hash);
                out[r] = last;
                break;
        }
    }
    column.SetLastCode(last);
}

void RowBlock::AppendTo(PacketStore& store) {
    // Each lookup in a dictionary bigger than the cache would wait for its
    // slot, then the entry's offset, then its text. Those steps are taken
    // for the whole block first (the slots were prefetched while reading),
    // so that the misses overlap.
    for (std::size_t step = 0; step < 2; ++step) {
        for (std::size_t c = 0; c < width_; ++c) {
            const Column& column = *store.columns[c];
            if (!column.IsString() || !column.DictionaryIsLarge())
                continue;
            const Cell* cells = &cells_[c * kRows];
            for (std::size_t r = 0; r < rows_; ++r) {
                if (cells[r].kind != Kind::Text)
                    continue;
                if (step == 0)
                    column.PrefetchEntry(cells[r].hash);
                else
                    column.PrefetchEntryText(cells[r].hash);
            }
        }
    }
    for (std::size_t c = 0; c < width_; ++c)
        AppendColumn(*store.columns[c], c);
    rows_ = 0;
    escaped_.clear();
}

}  // namespace vcl::wire::detail
