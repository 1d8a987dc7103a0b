// A block of a packet's rows read from the text and not yet appended to the
// column store. Rows are read one at a time and appended a block at a time,
// column by column: each column's dictionary is then worked on in a burst
// (its slots stay in cache, their misses overlap) and each column's memory is
// written in runs instead of one cell per row across all columns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vcl/json_reader.h"
#include "vcl/packet_store.h"

namespace vcl::wire::detail {

class RowBlock {
public:
    static constexpr std::size_t kRows = 64;

    explicit RowBlock(const PacketStore& store);

    // Reads the row array at the reader into the block; `row` is its number
    // in the packet (for messages). The row counts only once Keep is called.
    void ReadRow(JsonReader& reader, const PacketStore& store, std::size_t row);
    void Keep() { ++rows_; }
    bool Full() const { return rows_ == kRows; }
    // Appends the kept rows to the store's columns and empties the block. The
    // texts of the rows must still be where they were read.
    void AppendTo(PacketStore& store);

private:
    enum class Kind : std::uint8_t { Null, Value, Text, Repeat };
    // One cell: a raw value, or a text (in the JSON text, or at `raw` in
    // `escaped_` when it held escapes) with its dictionary hash.
    struct Cell {
        const char* text = nullptr;
        std::int64_t raw = 0;
        std::uint32_t size = 0;
        std::uint32_t hash = 0;
        Kind kind = Kind::Null;
        bool escaped = false;
    };

    Cell& At(std::size_t column, std::size_t row) { return cells_[column * kRows + row]; }
    const char* TextOf(const Cell& cell) const {
        return cell.escaped ? escaped_.data() + cell.raw : cell.text;
    }
    const Cell* Previous(std::size_t column) const {
        return rows_ > 0 ? &cells_[column * kRows + rows_ - 1] : nullptr;
    }
    // The row as the server writes it (no blanks, no escapes, plain numbers);
    // false, somewhere in the row, for anything else.
    bool ReadCompactRow(JsonReader& reader, const PacketStore& store);
    // Any row, with every check and error message.
    void ReadAnyRow(JsonReader& reader, const PacketStore& store, std::size_t row);
    void ReadCell(JsonReader& reader, const Column& column, std::size_t columnIndex, std::size_t row);
    void ReadText(JsonReader& reader, const Column& column, Cell& cell, const Cell* previous);
    void SetText(const Column& column, Cell& cell, std::string_view text, const Cell* previous);
    void AppendColumn(Column& column, std::size_t columnIndex) const;

    std::size_t width_;
    std::vector<FieldType> types_;
    std::size_t rows_ = 0;
    std::vector<Cell> cells_;  // by column, kRows per column
    std::string escaped_;      // unescaped texts of the block's literals with escapes
    std::string scratch_;
};

}  // namespace vcl::wire::detail
