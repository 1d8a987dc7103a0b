// The columns getNotasFiscais selects, declared once: each entry is a packet
// field, the SQL expression that fills it and how its value is read. The
// statements, the fetch and the packets all follow these tables.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/data_packet.h"

namespace server {

enum class ColumnRead {
    Text,       // a text; NULL is sent as ""
    Number,     // a number; NULL stays null
    IsoDate,    // an ISO date text, sent as a date-time; NULL or malformed: null
    Remaining,  // a quantity left to send: negatives are 0, rounded to 3 places
};

struct SelectedColumn {
    std::string_view field;  // the packet field it fills
    std::string_view sql;    // the expression selected
    ColumnRead read;
};

// An open analysis of item I, which holds the item back.
std::string_view ItemOpenAnalysisSql();
// Note N has an item with something left and no open analysis.
std::string NoteHasItemToSendSql();

// The notes' columns. `filterRequiresPending`: the selection already keeps
// only notes with something to send, so ENVIA needs no test.
std::span<const SelectedColumn> NoteColumns(bool filterRequiresPending);
std::span<const SelectedColumn> ItemColumns();

// The cell a value read by `read` becomes in the packet: `text` for the
// text and date reads, `number` for the others; `null` when the database
// gave NULL (`text` and `number` are then ignored). A text cell refers to
// `text`.
vcl::Cell CellOf(ColumnRead read, bool null, std::string_view text, double number);

// "expr, expr, ..." of the columns, in order.
std::string SelectList(std::span<const SelectedColumn> columns);
// The packet fields the columns fill, with the types and sizes the client
// binds (contracts::NotesPacketFields, ItemsPacketFields).
std::vector<vcl::FieldDef> NoteFields();
std::vector<vcl::FieldDef> ItemFields();

}  // namespace server
