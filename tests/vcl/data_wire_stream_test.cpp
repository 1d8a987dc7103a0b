// The answer written row by row is the text the whole-answer encoder gives
// for the same packets, whatever the piece size; a row that cannot be
// encoded is refused whole.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "vcl/data_packet.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"
#include "vcl/wire_stream.h"

namespace {

using vcl::Cell;
using vcl::FieldDef;
using vcl::FieldType;

const std::vector<FieldDef> kFields = {{"CODE", FieldType::FixedChar, 4},
                                       {"NAME", FieldType::String, 40},
                                       {"QTY", FieldType::Float, 0},
                                       {"WHEN", FieldType::DateTime, 0}};

// Rows with the cell forms that differ in their encoding: nulls, escapes,
// non-ASCII text, a negative zero, whole and fractional floats, dates.
std::vector<std::vector<Cell>> SampleRows() {
    std::vector<std::vector<Cell>> rows;
    const char* names[] = {"plain", "aspas \" e \\ barra", "linha\nnova\t\x01", "ação çé 日本", ""};
    const double quantities[] = {0.0, -0.0, 12.0, 1.5e-7, 123456789.125};
    for (int i = 0; i < 200; ++i) {
        rows.push_back({Cell::Text(i % 7 == 0 ? "0001" : "0002"),
                        i % 11 == 3 ? Cell::Null() : Cell::Text(names[i % 5]),
                        i % 13 == 5 ? Cell::Null() : Cell::Float(quantities[i % 5] * (i + 1)),
                        i % 17 == 2 ? Cell::Null() : Cell::DateTime(vcl::TDateTime{86400LL * (20000 + i)})});
    }
    return rows;
}

std::string Streamed(const std::vector<std::vector<Cell>>& notes, std::size_t pieceBytes,
                     std::vector<std::size_t>* pieces = nullptr) {
    std::string text;
    vcl::wire::AnswerWriter writer(
        [&](std::string_view piece) {
            text.append(piece);
            if (pieces)
                pieces->push_back(piece.size());
        },
        pieceBytes);
    writer.BeginArray();
    writer.Value(vcl::Variant(""));
    writer.BeginArray();
    writer.BeginPacket(kFields);
    for (const auto& row : notes)
        writer.Row(row);
    writer.EndPacket();
    writer.BeginPacket(kFields);  // an empty packet
    writer.EndPacket();
    writer.EndArray();
    writer.EndArray();
    writer.Finish({{3, vcl::Variant("000123")}, {5, vcl::Variant::Null()}});
    return text;
}

std::string Whole(const std::vector<std::vector<Cell>>& notes) {
    vcl::PacketBuilder builder(kFields);
    for (const auto& row : notes)
        builder.AppendCells(row);
    vcl::wire::Answer answer;
    answer.result =
        vcl::VariantArray{"", vcl::VariantArray{builder.Finish(), vcl::PacketBuilder(kFields).Finish()}};
    answer.refs[3] = vcl::Variant("000123");
    answer.refs[5] = vcl::Variant::Null();
    return vcl::wire::EncodeAnswer(answer);
}

TEST(AnswerWriter, WritesTheTextOfTheWholeAnswerInPiecesCutBetweenRows) {
    const auto rows = SampleRows();
    const std::string expected = Whole(rows);
    for (const std::size_t pieceBytes :
         {std::size_t{1}, std::size_t{100}, std::size_t{4096}, std::size_t{1} << 20}) {
        std::vector<std::size_t> pieces;
        EXPECT_EQ(Streamed(rows, pieceBytes, &pieces), expected) << "pieces of " << pieceBytes;
        // Every piece but the last is full, and none holds much more than one.
        for (std::size_t i = 0; i + 1 < pieces.size(); ++i)
            EXPECT_GE(pieces[i], pieceBytes);
        if (pieceBytes >= 4096) {
            for (const std::size_t size : pieces)
                EXPECT_LT(size, pieceBytes + 200);
        }
    }
    EXPECT_EQ(Streamed({}, 64), Whole({})) << "no rows at all";
}

TEST(AnswerWriter, ARowThatCannotBeEncodedIsRefusedWhole) {
    struct Case {
        const char* name;
        std::vector<Cell> row;
        bool wire;  // EWireError; else EConvertError
    } const cases[] = {
        {"a text that is not UTF-8",
         {Cell::Text("0001"), Cell::Text("a\xC3("), Cell::Null(), Cell::Null()},
         true},
        {"a text in a float field", {Cell::Text("0001"), Cell::Null(), Cell::Text("1"), Cell::Null()}, false},
        {"an infinite float",
         {Cell::Text("0001"), Cell::Null(), Cell::Float(std::numeric_limits<double>::infinity()),
          Cell::Null()},
         false},
        {"a cell short", {Cell::Text("0001"), Cell::Null(), Cell::Null()}, false},
    };
    for (const auto& c : cases) {
        std::string text;
        vcl::wire::AnswerWriter writer([&](std::string_view piece) { text.append(piece); }, 1 << 20);
        writer.BeginPacket(kFields);
        writer.Row(SampleRows()[0]);
        if (c.wire)
            EXPECT_THROW(writer.Row(c.row), vcl::EWireError) << c.name;
        else
            EXPECT_THROW(writer.Row(c.row), vcl::EConvertError) << c.name;
        writer.EndPacket();
        writer.Finish({});
        // The text is still well formed, holding the good row only.
        const auto answer = vcl::wire::DecodeAnswer(text);
        EXPECT_EQ(answer.result.AsPacket().RowCount(), 1u) << c.name;
    }
}

}  // namespace
