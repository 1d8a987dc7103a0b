// Streaming JSON writer for the wire encoding of variants and envelopes.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include <simdjson.h>

#include "vcl/data_store.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"
#include "vcl/wire_sink.h"

namespace vcl::wire {
namespace {

void CheckUtf8(std::string_view text) {
    if (!simdjson::validate_utf8(text.data(), text.size()))
        throw EWireError("string is not valid UTF-8");
}

// Appends a JSON string literal; the text must already be valid UTF-8.
void AppendQuoted(std::string_view text, std::string& out) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(text.data() + start, i - start);
        start = i + 1;
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                out += "\\u00";
                out.push_back(kHex[c >> 4]);
                out.push_back(kHex[c & 15]);
        }
    }
    out.append(text.data() + start, text.size() - start);
    out.push_back('"');
}

void AppendString(std::string_view text, std::string& out) {
    CheckUtf8(text);
    AppendQuoted(text, out);
}

void AppendInteger(std::int64_t value, std::string& out) {
    char buf[24];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, result.ptr);
}

void AppendFloat(double value, std::string& out) {
    if (!std::isfinite(value)) {
        out += "null";  // JSON has no NaN or infinity
        return;
    }
    char buf[40];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, result.ptr);
    if (std::memchr(buf, '.', static_cast<std::size_t>(result.ptr - buf)) == nullptr &&
        std::memchr(buf, 'e', static_cast<std::size_t>(result.ptr - buf)) == nullptr)
        out += ".0";
}

void AppendDate(TDate date, std::string& out) {
    out += "{\"date\":\"";
    out += date.ToIso();
    out += "\"}";
}

void AppendDateTime(TDateTime value, std::string& out) {
    out += "{\"datetime\":\"";
    out += value.ToIso();
    out += "\"}";
}

void AppendCell(const Column& column, std::size_t row, std::string& out) {
    if (column.IsNull(row)) {
        out += "null";
        return;
    }
    switch (column.Def().type) {
        case FieldType::String:
        case FieldType::FixedChar:
            AppendQuoted(column.Dict().Get(column.Code(row)), out);
            break;
        case FieldType::Integer:
            AppendInteger(column.Raw(row), out);
            break;
        case FieldType::Float:
            AppendFloat(column.Float(row), out);
            break;
        case FieldType::Boolean:
            out += column.Raw(row) != 0 ? "true" : "false";
            break;
        case FieldType::Date:
            AppendDate(TDate{static_cast<std::int32_t>(column.Raw(row))}, out);
            break;
        case FieldType::DateTime:
            AppendDateTime(TDateTime{column.Raw(row)}, out);
            break;
    }
}

// The quoted form of every dictionary entry of a string column whose values
// repeat, so that each cell is one append.
struct QuotedDict {
    std::string text;
    std::vector<std::uint32_t> offsets;  // entry i is text[offsets[i], offsets[i + 1])
};

QuotedDict QuoteDict(const StringDict& dict) {
    QuotedDict quoted;
    quoted.offsets.reserve(dict.Size() + 1);
    quoted.offsets.push_back(0);
    for (std::uint32_t code = 0; code < dict.Size(); ++code) {
        AppendQuoted(dict.Get(code), quoted.text);
        quoted.offsets.push_back(static_cast<std::uint32_t>(quoted.text.size()));
    }
    return quoted;
}

void AppendRow(const PacketStore& store, const std::vector<QuotedDict>& quoted, std::size_t row,
               std::string& out) {
    out.push_back('[');
    for (std::size_t c = 0; c < store.columns.size(); ++c) {
        if (c > 0)
            out.push_back(',');
        const Column& column = *store.columns[c];
        if (!quoted[c].offsets.empty() && !column.IsNull(row)) {
            const std::uint32_t code = column.Code(row);
            out.append(quoted[c].text, quoted[c].offsets[code],
                       quoted[c].offsets[code + 1] - quoted[c].offsets[code]);
        } else {
            AppendCell(column, row, out);
        }
    }
    out.push_back(']');
}

// Hands the text written so far to a sink once it holds a piece.
struct Pieces {
    const TextSink& sink;
    std::size_t bytes;
    void FlushIfFull(std::string& out) const {
        if (out.size() >= bytes) {
            sink(out);
            out.clear();
        }
    }
};

void AppendPacket(const DataPacket& packet, std::string& out, const Pieces* pieces) {
    const PacketStore& store = *packet.Store();
    // Every dictionary entry is checked once, so cells are written without a check.
    std::vector<QuotedDict> quoted(store.columns.size());
    for (std::size_t c = 0; c < store.columns.size(); ++c) {
        const Column& column = *store.columns[c];
        if (!column.IsString())
            continue;
        const StringDict& dict = column.Dict();
        for (std::uint32_t code = 0; code < dict.Size(); ++code)
            CheckUtf8(dict.Get(code));
        if (dict.Size() * 2 <= store.rows && dict.Size() < 0x1000000)
            quoted[c] = QuoteDict(dict);
    }
    out += "{\"packet\":{\"fields\":[";
    for (std::size_t i = 0; i < store.fields.size(); ++i) {
        const FieldDef& def = store.fields[i];
        if (i > 0)
            out.push_back(',');
        out += "{\"name\":";
        AppendString(def.name, out);
        out += ",\"type\":\"";
        out += FieldTypeName(def.type);
        out += "\",\"size\":";
        AppendInteger(def.size, out);
        out.push_back('}');
    }
    out += "],\"rows\":[";
    const std::size_t rowsStart = out.size();
    for (std::size_t row = 0; row < store.rows; ++row) {
        if (row > 0)
            out.push_back(',');
        AppendRow(store, quoted, row, out);
        if (pieces) {
            pieces->FlushIfFull(out);
            continue;
        }
        // Size the text once from the first rows rather than growing it step by step.
        constexpr std::size_t kSample = 64;
        if (row + 1 == kSample && store.rows > kSample * 2) {
            const std::size_t perRow = (out.size() - rowsStart) / kSample + 1;
            out.reserve(out.size() + (store.rows - kSample) * perRow * 9 / 8 + 64);
        }
    }
    out += "]}}";
}

void EncodeValue(const Variant& value, std::string& out, const Pieces* pieces);

}  // namespace

void EncodeTo(const Variant& value, std::string& out) {
    EncodeValue(value, out, nullptr);
}

namespace {

void EncodeValue(const Variant& value, std::string& out, const Pieces* pieces) {
    switch (value.type()) {
        case Variant::Type::Unassigned:
        case Variant::Type::Null:
            out += "null";
            break;
        case Variant::Type::String:
            AppendString(value.AsString(), out);
            break;
        case Variant::Type::Integer:
            AppendInteger(value.AsInteger(), out);
            break;
        case Variant::Type::Float:
            AppendFloat(value.AsFloat(), out);
            break;
        case Variant::Type::Boolean:
            out += value.AsBoolean() ? "true" : "false";
            break;
        case Variant::Type::Date:
            AppendDate(value.AsDate(), out);
            break;
        case Variant::Type::DateTime:
            AppendDateTime(value.AsDateTime(), out);
            break;
        case Variant::Type::Array: {
            out.push_back('[');
            bool first = true;
            for (const Variant& element : value.AsArray()) {
                if (!first)
                    out.push_back(',');
                first = false;
                EncodeValue(element, out, pieces);
            }
            out.push_back(']');
            break;
        }
        case Variant::Type::Packet:
            AppendPacket(value.AsPacket(), out, pieces);
            break;
    }
}

void EncodeAnswerWith(const Answer& answer, std::string& out, const Pieces* pieces) {
    out += "{\"result\":";
    EncodeValue(answer.result, out, pieces);
    out += ",\"refs\":{";
    bool first = true;
    for (const auto& [position, value] : answer.refs) {
        if (!first)
            out.push_back(',');
        first = false;
        out.push_back('"');
        AppendInteger(position, out);
        out += "\":";
        EncodeValue(value, out, pieces);
    }
    out += "}}";
}

}  // namespace

std::string Encode(const Variant& value) {
    std::string out;
    EncodeTo(value, out);
    return out;
}

std::string EncodeRequest(const VariantArray& args) {
    std::string out = "{\"args\":";
    EncodeTo(Variant(args), out);
    out.push_back('}');
    return out;
}

std::string EncodeAnswer(const Answer& answer) {
    std::string out;
    EncodeAnswerWith(answer, out, nullptr);
    return out;
}

void EncodeAnswerTo(const Answer& answer, const TextSink& sink, std::size_t pieceBytes) {
    const Pieces pieces{sink, std::max<std::size_t>(pieceBytes, 1)};
    std::string out;
    out.reserve(pieces.bytes + pieces.bytes / 4);
    EncodeAnswerWith(answer, out, &pieces);
    if (!out.empty())
        sink(out);
}

std::string EncodeError(std::string_view message) {
    std::string out = "{\"error\":";
    // An error text from the database may not be UTF-8; keep the message readable anyway.
    if (simdjson::validate_utf8(message.data(), message.size())) {
        AppendQuoted(message, out);
    } else {
        std::string cleaned;
        for (char c : message)
            cleaned.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
        AppendQuoted(cleaned, out);
    }
    out.push_back('}');
    return out;
}

}  // namespace vcl::wire
