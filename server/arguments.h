// Reading and checking the arguments of a server call. Every check that
// fails raises CallError(BadRequest) naming the argument and the reason.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/calendar.h"
#include "vcl/data_packet.h"
#include "vcl/variant.h"

namespace server {

class Arguments {
public:
    Arguments(std::string_view method, const vcl::VariantArray& args);

    // Exactly `count` arguments.
    void ExpectCount(std::size_t count) const;

    // A string of at most `maxChars` characters (the size of the column it
    // is compared with or stored in); Null reads as "". Numbers are refused:
    // codes are texts.
    std::string Text(std::size_t index, std::string_view name, std::size_t maxChars) const;
    // A date or a date-time (its date part).
    vcl::TDate Date(std::size_t index, std::string_view name) const;
    // Null or a data packet; `isNull` tells which.
    vcl::DataPacket Packet(std::size_t index, std::string_view name, bool& isNull) const;
    // A data packet; Null is refused.
    vcl::DataPacket Packet(std::size_t index, std::string_view name) const;

    const vcl::Variant& Raw(std::size_t index) const { return args_.at(index); }

private:
    [[noreturn]] void Fail(std::size_t index, std::string_view name, std::string_view reason) const;

    std::string method_;
    const vcl::VariantArray& args_;
};

// Typed access to the rows of a packet sent by the client, by field name.
// The fields asked for must exist with a compatible type.
class PacketReader {
public:
    enum class Kind { Text, Number };

    struct Field {
        std::string_view name;
        Kind kind;
        std::size_t maxChars = 0;  // of a text, after trimming; 0: any
    };

    // CallError(BadRequest) when a field is missing or of another type.
    PacketReader(const vcl::DataPacket& packet, std::string_view packetName, std::span<const Field> required);

    std::size_t RowCount() const { return packet_.RowCount(); }
    bool Has(std::string_view field) const { return packet_.FieldIndex(field) >= 0; }
    // Null cells read as "" and 0. Text cells are trimmed at the right, as
    // fixed-width fields pad them.
    std::string Text(std::size_t row, std::string_view field) const;
    double Number(std::size_t row, std::string_view field) const;

private:
    int Column(std::string_view field) const;

    const vcl::DataPacket& packet_;
    std::string name_;
    std::span<const Field> required_;
};

// Characters of a UTF-8 text (code points; bytes of a malformed sequence
// count one each).
std::size_t CharCount(std::string_view text);

}  // namespace server
