#include "server/arguments.h"

#include <cmath>

#include "server/call_error.h"
#include "vcl/exceptions.h"

namespace server {

namespace {

bool IsTextType(vcl::FieldType type) {
    return type == vcl::FieldType::String || type == vcl::FieldType::FixedChar;
}

bool IsNumberType(vcl::FieldType type) {
    return type == vcl::FieldType::Float || type == vcl::FieldType::Integer;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

}  // namespace

Arguments::Arguments(std::string_view method, const vcl::VariantArray& args) : method_(method), args_(args) {}

void Arguments::ExpectCount(std::size_t count) const {
    if (args_.size() != count) {
        BadRequest(method_ + " takes " + std::to_string(count) + " arguments, " +
                   std::to_string(args_.size()) + " given");
    }
}

void Arguments::Fail(std::size_t index, std::string_view name, std::string_view reason) const {
    BadRequest(method_ + ": argument " + std::to_string(index + 1) + " (" + std::string(name) + ") " +
               std::string(reason));
}

std::size_t CharCount(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

std::string Arguments::Text(std::size_t index, std::string_view name, std::size_t maxChars) const {
    const vcl::Variant& value = args_.at(index);
    if (value.IsEmpty())
        return {};
    if (value.type() != vcl::Variant::Type::String)
        Fail(index, name, "must be a text");
    std::string text = value.AsString();
    // The same limit on every database: PostgreSQL refuses a longer value,
    // SQLite would store it whole.
    if (CharCount(text) > maxChars) {
        BadRequest(method_ + ": argumento " + std::to_string(index + 1) + " com mais de " +
                   std::to_string(maxChars) + " caracteres");
    }
    return text;
}

vcl::TDate Arguments::Date(std::size_t index, std::string_view name) const {
    const vcl::Variant& value = args_.at(index);
    switch (value.type()) {
        case vcl::Variant::Type::Date:
            return value.AsDate();
        case vcl::Variant::Type::DateTime:
            return value.AsDateTime().Date();
        default:
            Fail(index, name, "must be a date");
    }
}

vcl::DataPacket Arguments::Packet(std::size_t index, std::string_view name, bool& isNull) const {
    const vcl::Variant& value = args_.at(index);
    isNull = value.IsEmpty();
    if (isNull)
        return {};
    if (!value.IsPacket())
        Fail(index, name, "must be a data packet or null");
    return value.AsPacket();
}

vcl::DataPacket Arguments::Packet(std::size_t index, std::string_view name) const {
    const vcl::Variant& value = args_.at(index);
    if (!value.IsPacket())
        Fail(index, name, "must be a data packet");
    return value.AsPacket();
}

PacketReader::PacketReader(const vcl::DataPacket& packet, std::string_view packetName,
                           std::span<const Field> required)
    : packet_(packet), name_(packetName), required_(required) {
    for (const auto& field : required) {
        const int column = packet_.FieldIndex(field.name);
        if (column < 0)
            BadRequest("the " + name_ + " packet lacks the field " + std::string(field.name));
        const vcl::FieldType type = packet_.Fields()[static_cast<std::size_t>(column)].type;
        const bool compatible = field.kind == Kind::Text ? IsTextType(type) : IsNumberType(type);
        if (!compatible) {
            BadRequest("the field " + std::string(field.name) + " of the " + name_ + " packet must be " +
                       (field.kind == Kind::Text ? "a text" : "a number") + ", not " +
                       std::string(vcl::FieldTypeName(type)));
        }
    }
}

int PacketReader::Column(std::string_view field) const {
    const int column = packet_.FieldIndex(field);
    if (column < 0)
        BadRequest("the " + name_ + " packet lacks the field " + std::string(field));
    return column;
}

std::string PacketReader::Text(std::size_t row, std::string_view field) const {
    const vcl::Variant value = packet_.Value(row, static_cast<std::size_t>(Column(field)));
    std::string text = value.IsEmpty() ? std::string() : TrimRight(value.AsString());
    for (const auto& required : required_) {
        if (required.name == field && required.maxChars > 0 && CharCount(text) > required.maxChars) {
            BadRequest("o campo " + std::string(field) + " do pacote " + name_ + " tem mais de " +
                       std::to_string(required.maxChars) + " caracteres");
        }
    }
    return text;
}

double PacketReader::Number(std::size_t row, std::string_view field) const {
    const vcl::Variant value = packet_.Value(row, static_cast<std::size_t>(Column(field)));
    if (value.IsEmpty())
        return 0;
    const double number = value.AsFloat();
    if (!std::isfinite(number))
        BadRequest("the field " + std::string(field) + " of the " + name_ + " packet holds no finite number");
    return number;
}

}  // namespace server
