// Data packet: the whole content of a client dataset (field list and rows),
// immutable and cheap to copy (copies share one column store).
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/variant.h"

namespace vcl {

enum class FieldType { String, FixedChar, Integer, Float, Boolean, Date, DateTime };

std::string_view FieldTypeName(FieldType type);  // wire name: "string", "fixedchar", ...
bool ParseFieldType(std::string_view name, FieldType& out);

struct FieldDef {
    std::string name;
    FieldType type = FieldType::String;
    int size = 0;  // characters, for string types
    friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

class PacketStore;  // column store shared by packets and datasets (packet_store.h)

class DataPacket {
public:
    DataPacket();  // no fields, no rows
    explicit DataPacket(std::shared_ptr<const PacketStore> store);

    const std::vector<FieldDef>& Fields() const;
    int FieldIndex(std::string_view name) const;  // -1 when absent
    std::size_t RowCount() const;
    // A cell as a variant; Null for a null cell. Precondition: in range.
    Variant Value(std::size_t row, std::size_t column) const;

    const std::shared_ptr<const PacketStore>& Store() const { return store_; }

    friend bool operator==(const DataPacket& a, const DataPacket& b);  // same fields and cells

private:
    std::shared_ptr<const PacketStore> store_;
};

// One cell of a row appended without a Variant: it refers to its text, so
// building a row allocates nothing.
class Cell {
public:
    enum class Kind { Null, Text, Float, DateTime };

    static Cell Null() { return Cell(Kind::Null); }
    static Cell Text(std::string_view text) {
        Cell cell(Kind::Text);
        cell.text_ = text;
        return cell;
    }
    static Cell Float(double value) {
        Cell cell(Kind::Float);
        cell.number_ = value;
        return cell;
    }
    static Cell DateTime(TDateTime value) {
        Cell cell(Kind::DateTime);
        cell.seconds_ = value.seconds;
        return cell;
    }

    Kind kind() const { return kind_; }
    std::string_view text() const { return text_; }
    double number() const { return number_; }
    std::int64_t seconds() const { return seconds_; }

private:
    explicit Cell(Kind kind) : kind_(kind) {}
    Kind kind_;
    std::string_view text_{};
    double number_ = 0;
    std::int64_t seconds_ = 0;
};

// EConvertError unless `cell` can go into a column of `def`: null to any,
// a text only to a string column, a finite float to a float column, a
// date-time to a date-time column.
void CheckCellFits(const FieldDef& def, const Cell& cell);

// Builds a packet row by row. Values are converted to the column's type;
// an unconvertible value raises EConvertError.
class PacketBuilder {
public:
    explicit PacketBuilder(std::vector<FieldDef> fields);
    ~PacketBuilder();
    PacketBuilder(PacketBuilder&&) noexcept;
    PacketBuilder& operator=(PacketBuilder&&) noexcept;

    void Reserve(std::size_t rows);
    void AppendRow(std::span<const Variant> values);  // one value per field
    void AppendRow(std::initializer_list<Variant> values);
    // The same for cells: a text only to a string column, a float to a
    // float column, a date-time to a date-time column (EConvertError
    // otherwise, and nothing is appended).
    void AppendCells(std::span<const Cell> cells);
    DataPacket Finish();

private:
    std::unique_ptr<PacketStore> store_;
};

}  // namespace vcl
