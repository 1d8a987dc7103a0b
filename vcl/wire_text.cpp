#include "vcl/wire_text.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "vcl/exceptions.h"
#include "vcl/utf8_check.h"

namespace vcl::wire::text {

void CheckUtf8(std::string_view text) {
    if (!utf8::IsValid(text))
        throw EWireError("string is not valid UTF-8");
}

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
    value.AppendIso(out);
    out += "\"}";
}

void AppendPacketHead(std::span<const FieldDef> fields, std::string& out) {
    out += "{\"packet\":{\"fields\":[";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& def = fields[i];
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
}

void AppendCell(const Cell& cell, std::string& out) {
    switch (cell.kind()) {
        case Cell::Kind::Null:
            out += "null";
            break;
        case Cell::Kind::Text:
            AppendQuoted(cell.text(), out);
            break;
        case Cell::Kind::Float:
            AppendFloat(cell.number() == 0 ? 0.0 : cell.number(), out);
            break;
        case Cell::Kind::DateTime:
            AppendDateTime(TDateTime{cell.seconds()}, out);
            break;
    }
}

}  // namespace vcl::wire::text
