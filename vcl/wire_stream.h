// An answer's wire text written as its values come, row by row, and handed
// to a sink in pieces cut between packet rows: a server can send an answer
// of a million rows while it still reads them, never holding it whole. The
// text is the one EncodeAnswer gives for the same answer.
#pragma once

#include <cstddef>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "vcl/data_packet.h"
#include "vcl/variant.h"
#include "vcl/wire_sink.h"

namespace vcl::wire {

class AnswerWriter {
public:
    explicit AnswerWriter(TextSink sink, std::size_t pieceBytes = kPieceBytes);

    // The result, built from these steps in JSON order: an array's
    // elements between BeginArray and EndArray, a packet's rows between
    // BeginPacket and EndPacket.
    void BeginArray();
    void EndArray();
    void Value(const Variant& value);
    void BeginPacket(std::vector<FieldDef> fields);
    // One row, one cell per field; EConvertError for a cell that does not fit
    // its field (as PacketBuilder::AppendCells), EWireError for a text that
    // is not UTF-8; nothing of the row is written then.
    void Row(std::span<const Cell> cells);
    void EndPacket();
    // Closes the result, writes the by-reference values and hands over
    // what is left.
    void Finish(const std::map<int, Variant>& refs);

private:
    void BeforeValue();  // the comma before an array's later elements
    void HandOverIfFull();

    TextSink sink_;
    std::size_t pieceBytes_;
    std::string out_;
    std::vector<bool> arrayIsEmpty_;  // one per open array, innermost last
    std::vector<FieldDef> fields_;    // of the open packet
    bool firstRow_ = true;
};

}  // namespace vcl::wire
