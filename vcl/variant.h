// Variant (OleVariant): the dynamically typed value that crosses the server
// wire and fills dataset fields.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/calendar.h"

namespace vcl {

class DataPacket;
class Variant;
using VariantArray = std::vector<Variant>;

class Variant {
public:
    enum class Type { Unassigned, Null, String, Integer, Float, Boolean, Date, DateTime, Array, Packet };

    Variant();  // Unassigned
    static Variant Null();
    Variant(std::string value);
    Variant(std::string_view value);
    Variant(const char* value);
    Variant(int value);
    Variant(std::int64_t value);
    Variant(double value);
    Variant(bool value);
    Variant(TDate value);
    Variant(TDateTime value);
    Variant(VariantArray value);
    Variant(DataPacket value);

    Type type() const;
    bool IsUnassigned() const { return type() == Type::Unassigned; }
    bool IsNull() const { return type() == Type::Null; }
    // Null or Unassigned: holds no value.
    bool IsEmpty() const { return IsUnassigned() || IsNull(); }
    bool IsArray() const { return type() == Type::Array; }
    bool IsPacket() const { return type() == Type::Packet; }

    // Conversions used by handlers. Empty values convert to "", 0, false.
    // AsString: dates as dd/mm/yyyy, date-times as dd/mm/yyyy hh:mm:ss,
    // floats with the shortest exact decimal form ("10.5"), booleans "true"/"false".
    std::string AsString() const;
    // The text of a string variant without a copy; empty for other types.
    std::string_view StringView() const;
    // Strings are parsed (point or comma as decimal separator); a text that
    // is not a number raises EConvertError.
    double AsFloat() const;
    std::int64_t AsInteger() const;
    bool AsBoolean() const;
    // Strings are parsed as dd/mm/yyyy (or ISO yyyy-mm-dd); EConvertError otherwise.
    TDate AsDate() const;
    TDateTime AsDateTime() const;
    // EVariantError when the variant holds no array / packet.
    const VariantArray& AsArray() const;
    const DataPacket& AsPacket() const;
    // Element of a variant array; EVariantError when out of range or not an array.
    const Variant& operator[](std::size_t index) const;
    std::size_t ArrayLength() const;

    // Exact structural equality (types and values).
    friend bool operator==(const Variant& a, const Variant& b);

private:
    struct Impl;
    template <class T>
    static std::shared_ptr<const Impl> MakeImpl(T&& value);
    std::shared_ptr<const Impl> impl_;  // null pointer: Unassigned
};

}  // namespace vcl
