// Wire decoding: the text is checked as UTF-8, then read in one pass;
// packets go straight into their column store, a block of rows at a time.
#include <algorithm>

#include "vcl/exceptions.h"
#include "vcl/json_reader.h"
#include "vcl/packet_store.h"
#include "vcl/row_block.h"
#include "vcl/utf8_check.h"
#include "vcl/wire.h"
#include "vcl/wire_decode_internal.h"

namespace vcl::wire {
namespace {

JsonReader Open(std::string_view json) {
    if (!utf8::IsValid(json))
        throw EWireError("malformed wire data: invalid UTF-8");
    return JsonReader(json);
}

void ExpectEnd(JsonReader& reader) {
    if (!reader.AtEnd())
        reader.Fail("trailing content");
}

TDateTime ParseCalendar(JsonReader& reader, std::string_view key, std::string_view text) {
    if (key == "date") {
        auto date = TDate::ParseIso(text);
        if (!date)
            reader.Fail("invalid date '" + std::string(text) + "'");
        return TDateTime::FromDate(*date);
    }
    auto value = TDateTime::ParseIso(text);
    if (!value)
        reader.Fail("invalid date-time '" + std::string(text) + "'");
    return *value;
}

// The rest of {"date":"..."} or {"datetime":"..."} after its key.
TDateTime ReadCalendarBody(JsonReader& reader, std::string_view key) {
    reader.Expect(':');
    std::string scratch;
    if (reader.Peek() != '"')
        reader.Fail("a date must be a string");
    const std::string_view text = reader.ReadString(scratch);
    const TDateTime value = ParseCalendar(reader, key, text);
    if (reader.Peek() != '}')
        reader.Fail("unknown object (expected date, datetime or packet)");
    reader.Expect('}');
    return value;
}

std::vector<FieldDef> ReadFields(JsonReader& reader) {
    if (reader.Peek() != '[')
        reader.Fail("packet fields must be an array");
    reader.Expect('[');
    std::vector<FieldDef> defs;
    std::string scratch;
    if (reader.Consume(']'))
        return defs;
    do {
        if (reader.Peek() != '{')
            reader.Fail("a packet field must be an object");
        reader.Expect('{');
        FieldDef def;
        bool hasName = false, hasType = false;
        if (!reader.Consume('}')) {
            do {
                const std::string key(reader.ReadString(scratch));
                reader.Expect(':');
                if (key == "name") {
                    if (reader.Peek() != '"')
                        reader.Fail("field name must be a string");
                    def.name = std::string(reader.ReadString(scratch));
                    hasName = true;
                } else if (key == "type") {
                    if (reader.Peek() != '"')
                        reader.Fail("field type must be a string");
                    const std::string_view type = reader.ReadString(scratch);
                    if (!ParseFieldType(type, def.type))
                        reader.Fail("unknown field type '" + std::string(type) + "'");
                    hasType = true;
                } else if (key == "size") {
                    std::int64_t size = 0;
                    double real = 0;
                    const char c = reader.Peek();
                    if (!(c == '-' || (c >= '0' && c <= '9')) || !reader.ReadNumber(size, real) || size < 0 ||
                        size > 1'000'000)
                        reader.Fail("invalid field size");
                    def.size = static_cast<int>(size);
                } else {
                    reader.SkipValue();
                }
            } while (reader.Consume(','));
            reader.Expect('}');
        }
        if (!hasName || def.name.empty())
            reader.Fail("a packet field has no name");
        if (!hasType)
            reader.Fail("field " + def.name + " has no type");
        for (const FieldDef& other : defs)
            if (other.name == def.name)
                reader.Fail("duplicate field " + def.name);
        defs.push_back(std::move(def));
    } while (reader.Consume(','));
    reader.Expect(']');
    return defs;
}

}  // namespace

namespace detail {

void ReadRowsFrom(JsonReader& reader, PacketStore& store, std::size_t row) {
    RowBlock block(store);
    // The columns are sized from the length of the first rows and the rest of
    // the text, then grown in steps of an eighth if the estimate falls short:
    // no doubling (and copying) of million-row columns, little room left over.
    constexpr std::size_t kSampleRows = 1024;
    const std::size_t firstRow = row;
    const std::size_t rowsStart = reader.Position();
    std::size_t reserved = 0;
    do {
        if (row == firstRow + kSampleRows) {
            const std::size_t perRow =
                std::max<std::size_t>((reader.Position() - rowsStart) / kSampleRows, 1);
            const std::size_t estimate = row + (reader.Size() - reader.Position()) / perRow;
            reserved = estimate + estimate / 64 + 16;
            for (auto& column : store.columns)
                column->Reserve(reserved);
        } else if (row == reserved && row > 0) {
            reserved += reserved / 8;
            for (auto& column : store.columns)
                column->Reserve(reserved);
        }
        block.ReadRow(reader, store, row);
        block.Keep();
        if (block.Full())
            block.AppendTo(store);
        ++row;
    } while (reader.Consume(','));
    reader.Expect(']');
    block.AppendTo(store);
    store.rows = row;
    for (auto& column : store.columns)
        column->ShrinkIfSlack();
}

}  // namespace detail

namespace {

void ReadRows(JsonReader& reader, PacketStore& store) {
    if (reader.Peek() != '[')
        reader.Fail("packet rows must be an array");
    reader.Expect('[');
    if (!reader.Consume(']'))
        detail::ReadRowsFrom(reader, store, 0);
}

// The packet object after {"packet": . `rows`, when given, may supply rows
// already read.
DataPacket ReadPacket(JsonReader& reader, const detail::RowsSource* rows) {
    if (reader.Peek() != '{')
        reader.Fail("packet must be an object");
    reader.Expect('{');
    std::shared_ptr<PacketStore> store;
    std::string_view deferredRows;
    bool hasRows = false;
    std::string scratch;
    if (!reader.Consume('}')) {
        do {
            const std::string key(reader.ReadString(scratch));
            reader.Expect(':');
            if (key == "fields") {
                if (store)
                    reader.Fail("duplicate packet fields");
                store = std::make_shared<PacketStore>(ReadFields(reader));
                if (!deferredRows.empty()) {
                    JsonReader rows(deferredRows);
                    ReadRows(rows, *store);
                }
            } else if (key == "rows") {
                if (hasRows)
                    reader.Fail("duplicate packet rows");
                hasRows = true;
                if (store) {
                    if (rows == nullptr || !(*rows)(reader, store))
                        ReadRows(reader, *store);
                } else {
                    deferredRows = reader.SkipValue();  // read once the fields are known
                }
            } else {
                reader.SkipValue();
            }
        } while (reader.Consume(','));
        reader.Expect('}');
    }
    if (!store)
        reader.Fail("packet without fields");
    if (!hasRows)
        reader.Fail("packet without rows");
    return DataPacket(std::move(store));
}

Variant ReadValue(JsonReader& reader, const detail::RowsSource* rows = nullptr) {
    const char c = reader.Peek();
    switch (c) {
        case '"': {
            std::string scratch;
            return Variant(reader.ReadString(scratch));
        }
        case 't':
        case 'f':
        case 'n': {
            const char which = reader.ReadLiteral();
            return which == 'n' ? Variant::Null() : Variant(which == 't');
        }
        case '[': {
            reader.Enter();
            reader.Expect('[');
            VariantArray values;
            if (!reader.Consume(']')) {
                do {
                    values.push_back(ReadValue(reader, rows));
                } while (reader.Consume(','));
                reader.Expect(']');
            }
            reader.Leave();
            return Variant(std::move(values));
        }
        case '{': {
            reader.Enter();
            reader.Expect('{');
            if (reader.Peek() != '"')
                reader.Fail("unknown object (expected date, datetime or packet)");
            std::string scratch;
            const std::string key(reader.ReadString(scratch));
            Variant value;
            if (key == "date") {
                value = Variant(ReadCalendarBody(reader, key).Date());
            } else if (key == "datetime") {
                value = Variant(ReadCalendarBody(reader, key));
            } else if (key == "packet") {
                reader.Expect(':');
                value = Variant(ReadPacket(reader, rows));
                if (reader.Peek() != '}')
                    reader.Fail("unknown object (expected date, datetime or packet)");
                reader.Expect('}');
            } else {
                reader.Fail("unknown object (expected date, datetime or packet)");
            }
            reader.Leave();
            return value;
        }
        default: {
            if (c != '-' && (c < '0' || c > '9'))
                reader.Fail(c == '\0' ? "unexpected end" : "unexpected character");
            std::int64_t integer = 0;
            double real = 0;
            return reader.ReadNumber(integer, real) ? Variant(integer) : Variant(real);
        }
    }
}

// Reads the members of the top-level object, handing each to `member`.
template <class Member>
void ReadEnvelope(JsonReader& reader, const char* what, Member&& member) {
    if (reader.Peek() != '{')
        reader.Fail(std::string(what) + " must be an object");
    reader.Expect('{');
    std::string scratch;
    if (!reader.Consume('}')) {
        do {
            const std::string key(reader.ReadString(scratch));
            reader.Expect(':');
            member(key);
        } while (reader.Consume(','));
        reader.Expect('}');
    }
    ExpectEnd(reader);
}

}  // namespace

Variant Decode(std::string_view json) {
    JsonReader reader = Open(json);
    Variant value = ReadValue(reader);
    ExpectEnd(reader);
    return value;
}

VariantArray DecodeRequest(std::string_view body) {
    JsonReader reader = Open(body);
    std::optional<VariantArray> args;
    ReadEnvelope(reader, "request", [&](const std::string& key) {
        if (key != "args" || args) {
            reader.SkipValue();
            return;
        }
        if (reader.Peek() != '[')
            reader.Fail("args must be an array");
        args = ReadValue(reader).AsArray();
    });
    if (!args)
        reader.Fail("request without args");
    return std::move(*args);
}

namespace {

Answer ReadAnswer(JsonReader& reader, const detail::RowsSource* rows) {
    Answer answer;
    bool hasResult = false, hasRefs = false;
    ReadEnvelope(reader, "answer", [&](const std::string& key) {
        if (key == "result" && !hasResult) {
            answer.result = ReadValue(reader, rows);
            hasResult = true;
        } else if (key == "refs" && !hasRefs) {
            hasRefs = true;
            if (reader.Peek() != '{')
                reader.Fail("refs must be an object");
            reader.Expect('{');
            std::string scratch;
            if (!reader.Consume('}')) {
                do {
                    const std::string position(reader.ReadString(scratch));
                    int index = 0;
                    if (position.empty() || position.size() > 6)
                        reader.Fail("invalid ref position");
                    for (char c : position) {
                        if (c < '0' || c > '9')
                            reader.Fail("invalid ref position '" + position + "'");
                        index = index * 10 + (c - '0');
                    }
                    if (index < 1)
                        reader.Fail("invalid ref position '" + position + "'");
                    reader.Expect(':');
                    answer.refs[index] = ReadValue(reader, rows);
                } while (reader.Consume(','));
                reader.Expect('}');
            }
        } else {
            reader.SkipValue();
        }
    });
    if (!hasResult)
        reader.Fail("answer without result");
    return answer;
}

}  // namespace

Answer DecodeAnswer(std::string_view body) {
    JsonReader reader = Open(body);
    return ReadAnswer(reader, nullptr);
}

std::string DecodeError(std::string_view body) {
    try {
        JsonReader reader = Open(body);
        std::string message;
        bool found = false;
        ReadEnvelope(reader, "error", [&](const std::string& key) {
            if (key == "error" && !found && reader.Peek() == '"') {
                std::string scratch;
                message = std::string(reader.ReadString(scratch));
                found = true;
            } else {
                reader.SkipValue();
            }
        });
        return message;
    } catch (const EWireError&) {
        return {};
    }
}

namespace detail {

std::vector<FieldDef> ReadPacketFields(JsonReader& reader) {
    return ReadFields(reader);
}

TDateTime ReadCalendarBody(JsonReader& reader, std::string_view key) {
    return wire::ReadCalendarBody(reader, key);
}

Answer DecodeCheckedAnswer(std::string_view body, const RowsSource& rows, std::span<const TextCut> cuts) {
    JsonReader reader(body);
    reader.CountCuts(cuts);
    return ReadAnswer(reader, &rows);
}

}  // namespace detail

}  // namespace vcl::wire
