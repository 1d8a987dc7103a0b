// Streaming JSON writer for the wire encoding of variants and envelopes.
#include <algorithm>

#include "vcl/exceptions.h"
#include "vcl/packet_store.h"
#include "vcl/utf8_check.h"
#include "vcl/wire.h"
#include "vcl/wire_sink.h"
#include "vcl/wire_text.h"

namespace vcl::wire {
namespace {

using text::AppendDate;
using text::AppendDateTime;
using text::AppendFloat;
using text::AppendInteger;
using text::AppendQuoted;
using text::AppendString;
using text::CheckUtf8;

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
    text::AppendPacketHead(store.fields, out);
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
    out += text::kPacketTail;
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
    if (utf8::IsValid(message)) {
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
