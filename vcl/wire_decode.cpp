// Wire decoding on simdjson's DOM parser: the whole text is validated first,
// then the tape is walked into variants and column stores.
#include <simdjson.h>

#include "vcl/data_store.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"

namespace vcl::wire {
namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

[[noreturn]] void Fail(const std::string& reason) { throw EWireError("malformed wire data: " + reason); }

simdjson::dom::parser& Parser() {
    thread_local simdjson::dom::parser parser;
    return parser;
}

element Parse(std::string_view json) {
    element root;
    const auto error = Parser().parse(json.data(), json.size(), true).get(root);
    if (error) Fail(simdjson::error_message(error));
    return root;
}

// The parser keeps buffers of about twice the largest text it parsed; after
// a large one, give them back rather than hold them for the process's life.
class ParserTrim {
public:
    explicit ParserTrim(std::size_t size) : large_(size > kKeepBelow) {}
    ~ParserTrim() {
        if (large_) Parser() = simdjson::dom::parser{};
    }
    ParserTrim(const ParserTrim&) = delete;
    ParserTrim& operator=(const ParserTrim&) = delete;

private:
    static constexpr std::size_t kKeepBelow = 16u << 20;
    bool large_;
};

std::string_view StringOf(element e, const char* what) {
    std::string_view text;
    if (e.get_string().get(text)) Fail(std::string(what) + " must be a string");
    return text;
}

// {"date":"..."} / {"datetime":"..."}: the single key and its text.
bool CalendarObject(simdjson::dom::object object, std::string_view& key, std::string_view& text) {
    if (object.size() != 1) return false;
    for (auto member : object) {
        key = member.key;
        if (key != "date" && key != "datetime") return false;
        text = StringOf(member.value, "a date");
    }
    return true;
}

TDateTime ParseCalendar(std::string_view key, std::string_view text) {
    if (key == "date") {
        auto date = TDate::ParseIso(text);
        if (!date) Fail("invalid date '" + std::string(text) + "'");
        return TDateTime::FromDate(*date);
    }
    auto value = TDateTime::ParseIso(text);
    if (!value) Fail("invalid date-time '" + std::string(text) + "'");
    return *value;
}

std::vector<FieldDef> DecodeFields(element fieldsElement) {
    simdjson::dom::array fields;
    if (fieldsElement.get_array().get(fields)) Fail("packet fields must be an array");
    std::vector<FieldDef> defs;
    for (element f : fields) {
        simdjson::dom::object object;
        if (f.get_object().get(object)) Fail("a packet field must be an object");
        FieldDef def;
        bool hasName = false, hasType = false;
        for (auto member : object) {
            if (member.key == "name") {
                def.name = std::string(StringOf(member.value, "field name"));
                hasName = true;
            } else if (member.key == "type") {
                if (!ParseFieldType(StringOf(member.value, "field type"), def.type))
                    Fail("unknown field type '" + std::string(StringOf(member.value, "field type")) + "'");
                hasType = true;
            } else if (member.key == "size") {
                std::int64_t size = 0;
                if (member.value.get_int64().get(size) || size < 0 || size > 1'000'000) Fail("invalid field size");
                def.size = static_cast<int>(size);
            }
        }
        if (!hasName || def.name.empty()) Fail("a packet field has no name");
        if (!hasType) Fail("field " + def.name + " has no type");
        for (const FieldDef& other : defs)
            if (other.name == def.name) Fail("duplicate field " + def.name);
        defs.push_back(std::move(def));
    }
    return defs;
}

[[noreturn]] void FailCell(std::size_t row, const FieldDef& def, const char* expected) {
    Fail("row " + std::to_string(row + 1) + ", field " + def.name + ": expected " + expected);
}

void AppendCell(Column& column, element cell, std::size_t row) {
    const element_type type = cell.type();
    if (type == element_type::NULL_VALUE) {
        column.AppendNull();
        return;
    }
    const FieldDef& def = column.Def();
    switch (def.type) {
        case FieldType::String:
        case FieldType::FixedChar: {
            std::string_view text;
            if (cell.get_string().get(text)) FailCell(row, def, "a string");
            column.AppendText(text);
            return;
        }
        case FieldType::Integer: {
            std::int64_t value = 0;
            if (type != element_type::INT64 || cell.get_int64().get(value)) FailCell(row, def, "an integer");
            column.AppendRaw(value);
            return;
        }
        case FieldType::Float: {
            double value = 0;
            if (cell.get_double().get(value)) FailCell(row, def, "a number");
            column.AppendFloat(value == 0 ? 0.0 : value);
            return;
        }
        case FieldType::Boolean: {
            bool value = false;
            if (cell.get_bool().get(value)) FailCell(row, def, "a boolean");
            column.AppendRaw(value ? 1 : 0);
            return;
        }
        case FieldType::Date:
        case FieldType::DateTime: {
            simdjson::dom::object object;
            std::string_view key, text;
            if (cell.get_object().get(object) || !CalendarObject(object, key, text))
                FailCell(row, def, def.type == FieldType::Date ? "a date" : "a date-time");
            const TDateTime value = ParseCalendar(key, text);
            if (def.type == FieldType::Date) {
                if (key != "date") FailCell(row, def, "a date");
                column.AppendRaw(value.Date().days);
            } else {
                column.AppendRaw(value.seconds);
            }
            return;
        }
    }
}

DataPacket DecodePacket(element packetElement) {
    simdjson::dom::object object;
    if (packetElement.get_object().get(object)) Fail("packet must be an object");
    element fieldsElement, rowsElement;
    if (object["fields"].get(fieldsElement)) Fail("packet without fields");
    if (object["rows"].get(rowsElement)) Fail("packet without rows");
    auto store = std::make_shared<PacketStore>(DecodeFields(fieldsElement));
    simdjson::dom::array rows;
    if (rowsElement.get_array().get(rows)) Fail("packet rows must be an array");
    const std::size_t width = store->columns.size();
    const std::size_t expected = rows.size();
    for (auto& column : store->columns) column->Reserve(expected);
    // Per row: first collect the cells, hash the texts and prefetch their
    // dictionary slots, then append; the cache misses of one row overlap.
    struct Pending {
        element cell;
        std::string_view text;
        std::uint32_t hash = 0;
        bool isText = false;
        bool prepared = false;
    };
    std::vector<Pending> pending(width);
    std::size_t rowIndex = 0;
    for (element rowElement : rows) {
        simdjson::dom::array row;
        if (rowElement.get_array().get(row)) Fail("row " + std::to_string(rowIndex + 1) + " is not an array");
        std::size_t c = 0;
        for (element cell : row) {
            if (c >= width) break;
            Pending& p = pending[c];
            p.cell = cell;
            const Column& column = *store->columns[c];
            p.isText = column.IsString() && !cell.get_string().get(p.text);
            if (p.isText) p.prepared = column.Prepare(p.text, p.hash);
            ++c;
        }
        if (c != width || row.size() != width)
            Fail("row " + std::to_string(rowIndex + 1) + " has " + std::to_string(row.size()) + " values for " +
                 std::to_string(width) + " fields");
        for (c = 0; c < width; ++c) {
            Pending& p = pending[c];
            if (p.isText) {
                store->columns[c]->AppendPrepared(p.text, p.prepared, p.hash);
            } else {
                AppendCell(*store->columns[c], p.cell, rowIndex);
            }
        }
        ++rowIndex;
    }
    store->rows = rowIndex;
    return DataPacket(std::move(store));
}

Variant DecodeElement(element e) {
    switch (e.type()) {
        case element_type::NULL_VALUE: return Variant::Null();
        case element_type::STRING: return Variant(StringOf(e, "value"));
        case element_type::INT64: return Variant(std::int64_t{e.get_int64().value_unsafe()});
        case element_type::UINT64: return Variant(static_cast<double>(e.get_uint64().value_unsafe()));
        case element_type::DOUBLE: return Variant(e.get_double().value_unsafe());
        case element_type::BOOL: return Variant(e.get_bool().value_unsafe());
        case element_type::ARRAY: {
            VariantArray values;
            const simdjson::dom::array array = e.get_array().value_unsafe();
            for (element item : array) values.push_back(DecodeElement(item));
            return Variant(std::move(values));
        }
        case element_type::OBJECT: {
            simdjson::dom::object object = e.get_object().value_unsafe();
            std::string_view key, text;
            if (CalendarObject(object, key, text)) {
                const TDateTime value = ParseCalendar(key, text);
                return key == "date" ? Variant(value.Date()) : Variant(value);
            }
            if (object.size() == 1) {
                for (auto member : object)
                    if (member.key == "packet") return Variant(DecodePacket(member.value));
            }
            Fail("unknown object (expected date, datetime or packet)");
        }
    }
    Fail("unknown value");
}

simdjson::dom::object RootObject(std::string_view json, const char* what) {
    simdjson::dom::object object;
    if (Parse(json).get_object().get(object)) Fail(std::string(what) + " must be an object");
    return object;
}

}  // namespace

Variant Decode(std::string_view json) {
    const ParserTrim trim(json.size());
    return DecodeElement(Parse(json));
}

VariantArray DecodeRequest(std::string_view body) {
    const ParserTrim trim(body.size());
    element args;
    if (RootObject(body, "request")["args"].get(args)) Fail("request without args");
    if (args.type() != element_type::ARRAY) Fail("args must be an array");
    return DecodeElement(args).AsArray();
}

Answer DecodeAnswer(std::string_view body) {
    const ParserTrim trim(body.size());
    simdjson::dom::object object = RootObject(body, "answer");
    element result;
    if (object["result"].get(result)) Fail("answer without result");
    Answer answer;
    answer.result = DecodeElement(result);
    element refsElement;
    if (!object["refs"].get(refsElement)) {
        simdjson::dom::object refs;
        if (refsElement.get_object().get(refs)) Fail("refs must be an object");
        for (auto member : refs) {
            int position = 0;
            const std::string_view key = member.key;
            if (key.empty() || key.size() > 6) Fail("invalid ref position");
            for (char c : key) {
                if (c < '0' || c > '9') Fail("invalid ref position '" + std::string(key) + "'");
                position = position * 10 + (c - '0');
            }
            if (position < 1) Fail("invalid ref position '" + std::string(key) + "'");
            answer.refs[position] = DecodeElement(member.value);
        }
    }
    return answer;
}

std::string DecodeError(std::string_view body) {
    element root;
    if (Parser().parse(body.data(), body.size(), true).get(root)) return {};
    simdjson::dom::object object;
    element error;
    std::string_view text;
    if (root.get_object().get(object) || object["error"].get(error) || error.get_string().get(text)) return {};
    return std::string(text);
}

}  // namespace vcl::wire
