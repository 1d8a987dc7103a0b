// What the answer decoder that reads while the text arrives shares with the
// whole-text wire decoder: the readers of a packet's fields and rows, and the
// answer's reader with a way to take rows read beforehand.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/data_packet.h"
#include "vcl/json_reader.h"
#include "vcl/packet_store.h"
#include "vcl/wire.h"

namespace vcl::wire::detail {

// The array of a packet's field definitions.
std::vector<FieldDef> ReadPacketFields(JsonReader& reader);
// The rest of {"date":"..."} or {"datetime":"..."} after its key.
TDateTime ReadCalendarBody(JsonReader& reader, std::string_view key);

// Called with the reader at a packet's rows and the store made from its
// fields: true when it replaced the store by one holding those rows, read
// beforehand, and moved the reader past them.
using RowsSource = std::function<bool(JsonReader& reader, std::shared_ptr<PacketStore>& store)>;

// Reads on a packet's rows from the start of row number `row` (from 0), the
// rows before it being in `store` already, to the rows' closing ']'.
void ReadRowsFrom(JsonReader& reader, PacketStore& store, std::size_t row);

// DecodeAnswer on a text already checked as UTF-8, taking rows from `rows`
// where it has them; `cuts`: text taken out of `body` (JsonReader::CountCuts).
Answer DecodeCheckedAnswer(std::string_view body, const RowsSource& rows, std::span<const TextCut> cuts = {});

}  // namespace vcl::wire::detail
