// What the answer decoder that reads while the text arrives shares with the
// whole-text wire decoder: the readers of a packet's fields and rows, and the
// answer's reader with a way to take rows read beforehand.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/data_packet.h"
#include "vcl/json_reader.h"
#include "vcl/packet_store.h"
#include "vcl/wire.h"

namespace vcl::wire::detail {

// One parsed cell waiting to be appended to its column.
struct Cell {
    bool null = false;
    bool repeat = false;  // the same text as the row before
    std::string_view text;
    std::uint32_t hash = 0;
    std::int64_t raw = 0;
    std::string scratch;
};

// The array of a packet's field definitions.
std::vector<FieldDef> ReadPacketFields(JsonReader& reader);
// One cell of `row`; `previous` is the same column's cell in the row before, if any.
void ReadPacketCell(JsonReader& reader, const Column& column, std::size_t row, const Cell* previous,
                    Cell& cell);
void AppendPacketRow(PacketStore& store, const std::vector<Cell>& cells);

// Called with the reader at a packet's rows and the store made from its
// fields: true when it replaced the store by one holding those rows, read
// beforehand, and moved the reader past them.
using RowsSource = std::function<bool(JsonReader& reader, std::shared_ptr<PacketStore>& store)>;

// DecodeAnswer on a text already checked as UTF-8, taking rows from `rows`
// where it has them.
Answer DecodeCheckedAnswer(std::string_view body, const RowsSource& rows);

}  // namespace vcl::wire::detail
