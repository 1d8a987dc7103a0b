#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstring>
#include <memory>
#include <random>

#include "vcl/data_packet.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"
#include "vcl/wire_sink.h"

using namespace vcl;

namespace {

DataPacket SamplePacket() {
    PacketBuilder builder({{"IDMARCADO", FieldType::FixedChar, 1},
                           {"NMPRODUTO", FieldType::String, 50},
                           {"NRSEQ", FieldType::Integer, 0},
                           {"QT", FieldType::Float, 0},
                           {"OK", FieldType::Boolean, 0},
                           {"DTENTRADA", FieldType::Date, 0},
                           {"DTVALIDADE", FieldType::DateTime, 0}});
    builder.AppendRow({Variant("N"), Variant("Café \"forte\"\n\\ ação"), Variant(1), Variant(10.0),
                       Variant(true), Variant(TDate::FromYmd(2024, 1, 2)),
                       Variant(TDateTime{TDateTime::FromDate(TDate::FromYmd(2025, 6, 30)).seconds + 45296})});
    builder.AppendRow({Variant::Null(), Variant(""), Variant::Null(), Variant(-0.125), Variant(false),
                       Variant::Null(), Variant::Null()});
    return builder.Finish();
}

}  // namespace

struct RoundTrip {
    const char* name;
    Variant value;
    const char* json;
};

TEST(Wire, EncodesEveryTypeAndDecodesItBackExactly) {
    const RoundTrip cases[] = {
        {"null", Variant::Null(), "null"},
        {"string with escapes", Variant("a\"b\\c\n\x01"), R"("a\"b\\c\n\u0001")"},
        {"accented text stays UTF-8", Variant("ação"), "\"ação\""},
        {"integer", Variant(std::int64_t{-9007199254740993}), "-9007199254740993"},
        {"whole float keeps a point", Variant(10.0), "10.0"},
        {"float shortest form", Variant(0.1), "0.1"},
        {"large float in exponent form", Variant(1e300), "1e+300"},
        {"boolean", Variant(false), "false"},
        {"date", Variant(TDate::FromYmd(2024, 12, 31)), R"({"date":"2024-12-31"})"},
        {"date-time", Variant(TDateTime{0}), R"({"datetime":"1970-01-01T00:00:00"})"},
        {"nested array",
         Variant(VariantArray{Variant(""), Variant(VariantArray{Variant(1)}), Variant::Null()}),
         R"(["",[1],null])"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wire::Encode(c.value), c.json) << c.name;
        EXPECT_EQ(wire::Decode(c.json), c.value) << c.name;
    }
    EXPECT_EQ(wire::Encode(Variant()), "null");
}

TEST(Wire, PacketRoundTripKeepsFieldsTypesAndCells) {
    const DataPacket packet = SamplePacket();
    const std::string json = wire::Encode(Variant(packet));
    EXPECT_NE(json.find(R"({"name":"IDMARCADO","type":"fixedchar","size":1})"), std::string::npos);
    const Variant back = wire::Decode(json);
    ASSERT_TRUE(back.IsPacket());
    EXPECT_EQ(back.AsPacket().Fields(), packet.Fields());
    EXPECT_EQ(back.AsPacket(), packet);
    EXPECT_EQ(wire::Encode(back), json);
}

TEST(Wire, PacketCellsAcceptIntegersForFloatsAndFieldsInAnyOrder) {
    const Variant v = wire::Decode(
        R"({"packet":{"rows":[[1,{"date":"2024-01-02"}]],"fields":[{"type":"float","name":"Q"},{"name":"D","type":"datetime"}]}})");
    EXPECT_EQ(v.AsPacket().Value(0, 0), Variant(1.0));
    EXPECT_EQ(v.AsPacket().Value(0, 1), Variant(TDateTime::FromDate(TDate::FromYmd(2024, 1, 2))));
}

TEST(Wire, MalformedInputRaisesWireErrorWithReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "unexpected end"},
        {"[1] x", "trailing content"},
        {"[01]", "leading zero"},
        {"\"\\ud800\"", "surrogate"},
        {"1e999", "out of range"},
        {"[1,", "unexpected end"},
        {"{\"x\":1}", "unknown object"},
        {"{\"date\":\"2024-02-30\"}", "invalid date"},
        {"{\"date\":5}", "must be a string"},
        {"\"\xC3\x28\"", "UTF-8"},
        {"\"a\tb\"", "control character"},
        {R"({"packet":{"fields":[{"name":"A","type":"money"}],"rows":[]}})", "unknown field type"},
        {R"({"packet":{"fields":[{"name":"A","type":"string"}]}})", "without rows"},
        {R"({"packet":{"fields":[{"name":"A","type":"string"}],"rows":[[1]]}})",
         "row 1, field A: expected a string"},
        {R"({"packet":{"fields":[{"name":"A","type":"integer"}],"rows":[[1.5]]}})", "expected an integer"},
        {R"({"packet":{"fields":[{"name":"A","type":"integer"}],"rows":[[1,2]]}})",
         "wrong number of values for 1 fields"},
        {R"({"packet":{"fields":[{"name":"A","type":"string"},{"name":"A","type":"string"}],"rows":[]}})",
         "duplicate"},
        {R"({"packet":{"fields":[{"type":"string"}],"rows":[]}})", "no name"},
    };
    for (const auto& [json, reason] : cases) {
        try {
            wire::Decode(json);
            ADD_FAILURE() << "accepted: " << json;
        } catch (const EWireError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
    }
    std::string deep(5000, '[');
    EXPECT_THROW(wire::Decode(deep + std::string(5000, ']')), EWireError);
}

TEST(Wire, EncodingInvalidUtf8IsRefused) {
    EXPECT_THROW(wire::Encode(Variant("\xFF")), EWireError);
}

TEST(Wire, RequestAndAnswerEnvelopes) {
    const VariantArray args{Variant("0001"), Variant::Null(), Variant(SamplePacket())};
    const std::string request = wire::EncodeRequest(args);
    EXPECT_EQ(request.rfind("{\"args\":[\"0001\",null,{\"packet\"", 0), 0u);
    EXPECT_EQ(wire::DecodeRequest(request), args);
    EXPECT_THROW(wire::DecodeRequest(R"({"args":5})"), EWireError);
    EXPECT_THROW(wire::DecodeRequest(R"([1])"), EWireError);

    wire::Answer answer{Variant(VariantArray{Variant(""), Variant(2)}),
                        {{3, Variant("N")}, {12, Variant::Null()}}};
    const std::string body = wire::EncodeAnswer(answer);
    EXPECT_EQ(body, R"({"result":["",2],"refs":{"3":"N","12":null}})");
    const wire::Answer back = wire::DecodeAnswer(body);
    EXPECT_EQ(back.result, answer.result);
    EXPECT_EQ(back.refs, answer.refs);
    EXPECT_EQ(wire::DecodeAnswer(R"({"result":1})").refs.size(), 0u);
    EXPECT_THROW(wire::DecodeAnswer(R"({"result":1,"refs":{"x":1}})"), EWireError);
    EXPECT_THROW(wire::DecodeAnswer(R"({"result":1,"refs":{"0":1}})"), EWireError);
    EXPECT_THROW(wire::DecodeAnswer(R"({"refs":{}})"), EWireError);

    EXPECT_EQ(wire::EncodeError("falhou \"x\""), R"({"error":"falhou \"x\""})");
    EXPECT_EQ(wire::DecodeError(wire::EncodeError("Filial não cadastrada")), "Filial não cadastrada");
    EXPECT_EQ(wire::DecodeError(R"({"result":1})"), "");
    EXPECT_EQ(wire::DecodeError("not json"), "");
}

namespace {
// The value std::from_chars gives for a JSON number text.
Variant ReferenceNumber(const std::string& text) {
    std::int64_t integer = 0;
    const bool plain = text.find_first_of(".eE") == std::string::npos;
    if (plain) {
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), integer);
        if (ec == std::errc{} && end == text.data() + text.size())
            return Variant(integer);
    }
    double real = 0;
    std::from_chars(text.data(), text.data() + text.size(), real);
    return Variant(real);
}

// Bitwise comparison: keeps -0.0 apart from 0.0 and integers apart from floats.
void ExpectSameNumber(const std::string& text) {
    const Variant decoded = wire::Decode(text);
    const Variant expected = ReferenceNumber(text);
    ASSERT_EQ(decoded.type(), expected.type()) << text;
    if (expected.type() == Variant::Type::Float)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(decoded.AsFloat()),
                  std::bit_cast<std::uint64_t>(expected.AsFloat()))
            << text;
    else
        EXPECT_EQ(decoded.AsInteger(), expected.AsInteger()) << text;
}
}  // namespace

TEST(Wire, NumbersDecodeExactlyAsFromChars) {
    const char* cases[] = {"0",
                           "-0",
                           "-0.0",
                           "0.1",
                           "123.45",
                           "-1249.75",
                           "654138.6875",
                           "123456789012.345",   // 15 digits, the last exact by division
                           "1234567890123.456",  // 16 digits: beyond exact division
                           "0.000000000000000000001",
                           "999999999999999999",    // 18-digit integer
                           "9223372036854775807",   // largest integer
                           "-9223372036854775808",  // smallest integer
                           "9223372036854775808",   // beyond: a float
                           "1e5",
                           "1.5E-3",
                           "2.2250738585072014e-308",
                           "163447.26249999998"};
    for (const char* text : cases)
        ExpectSameNumber(text);

    // Random digit strings with the point anywhere, from 1 to 19 digits.
    std::mt19937_64 random(42);
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 19);
        std::string text = random() % 4 == 0 ? "-" : "";
        text += static_cast<char>('1' + random() % 9);
        for (int d = 1; d < digits; ++d)
            text += static_cast<char>('0' + random() % 10);
        const std::size_t point = random() % (text.size() + 1);
        if (point > (text[0] == '-' ? 1u : 0u) && point < text.size())
            text.insert(point, ".");
        ExpectSameNumber(text);
    }
}

TEST(Wire, StringsFindEscapesAndControlsAtEveryPosition) {
    // Around the block sizes the scanner reads at once, and at the very end of
    // an exactly sized buffer (the sanitizer build catches a read past it).
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            std::string plain(length, 'x');
            plain[at] = '\n';
            std::string json = "\"" + plain + "\"";
            json.replace(at + 1, 1, "\\n");
            EXPECT_EQ(wire::Decode(json), Variant(plain)) << json;

            std::string withControl = "\"" + std::string(length, 'x') + "\"";
            withControl[at + 1] = '\x1F';
            EXPECT_THROW(wire::Decode(withControl), EWireError) << length << " " << at;
        }
        const std::string text = std::string(length, 'x') + "ção";
        EXPECT_EQ(wire::Decode("\"" + text + "\""), Variant(text));

        const std::string unterminated = "\"" + std::string(length, 'y');
        const auto exact = std::make_unique<char[]>(unterminated.size());
        std::memcpy(exact.get(), unterminated.data(), unterminated.size());
        EXPECT_THROW(wire::Decode(std::string_view(exact.get(), unterminated.size())), EWireError);
    }
}

TEST(Wire, LargePacketRoundTripsWithRepeatsNullsEscapesAndDistinctTexts) {
    // Over 65536 rows, so that the nearly distinct column stops being indexed
    // midway; the repeating column mixes repeats, nulls and escaped texts.
    const std::vector<FieldDef> fields{{"REPEATS", FieldType::String, 10},
                                       {"DISTINCT", FieldType::String, 10},
                                       {"QT", FieldType::Float, 0},
                                       {"SEQ", FieldType::Integer, 0}};
    const Variant pattern[] = {Variant("a"),      Variant("a"),      Variant::Null(),   Variant("a"),
                               Variant("b\n\"c"), Variant("b\n\"c"), Variant("b\n\"c"), Variant(""),
                               Variant(""),       Variant::Null(),   Variant::Null(),   Variant("ação"),
                               Variant("a"),      Variant("b\n\"c"), Variant("a")};
    PacketBuilder builder(fields);
    for (int i = 0; i < 70'000; ++i) {
        const int step = i % 500 < 250 ? i / 3 : i;  // runs of three, then every value in turn
        const Variant row[] = {pattern[step % std::size(pattern)], Variant("D" + std::to_string(i)),
                               Variant(i * 0.25 - 100), i % 5 == 0 ? Variant::Null() : Variant(i)};
        builder.AppendRow(row);
    }
    const DataPacket packet = builder.Finish();
    const std::string json = wire::Encode(Variant(packet));
    const Variant back = wire::Decode(json);
    ASSERT_TRUE(back.IsPacket());
    EXPECT_EQ(back.AsPacket(), packet);
    EXPECT_EQ(wire::Encode(back), json);
}

// The decoder sizes its columns from the first rows: packets shorter than
// that sample, just across it, and packets whose later rows are much shorter
// than the first ones (so that the estimate falls short and the columns grow
// while loading) all decode to the same cells.
TEST(Wire, PacketsOfEverySizeAndRowLengthDecodeWhole) {
    const std::vector<FieldDef> fields{{"TEXT", FieldType::String, 0}, {"SEQ", FieldType::Integer, 0}};
    const struct {
        int rows;
        int longRows;  // the first rows carry a long text, the others a short one
    } cases[] = {{1, 0}, {2, 2}, {1023, 0}, {1024, 0}, {1025, 0}, {1026, 1026}, {20'000, 1024}};
    for (const auto& c : cases) {
        PacketBuilder builder(fields);
        for (int i = 0; i < c.rows; ++i) {
            const std::string text =
                i < c.longRows ? std::string(200, 'x') + std::to_string(i) : std::to_string(i % 7);
            builder.AppendRow({Variant(text), Variant(i)});
        }
        const DataPacket packet = builder.Finish();
        const Variant back = wire::Decode(wire::Encode(Variant(packet)));
        ASSERT_TRUE(back.IsPacket());
        EXPECT_EQ(back.AsPacket().RowCount(), static_cast<std::size_t>(c.rows));
        EXPECT_EQ(back.AsPacket(), packet) << c.rows << " rows";
    }
}

TEST(Wire, AnswerInPiecesIsTheSameTextCutBetweenRows) {
    PacketBuilder builder({{"CODE", FieldType::String, 10}, {"QT", FieldType::Float, 0}});
    for (int i = 0; i < 3000; ++i)
        builder.AppendRow({Variant("item " + std::to_string(i % 700)), Variant(i * 0.5)});
    wire::Answer answer;
    answer.result = VariantArray{"", VariantArray{builder.Finish(), Variant::Null()}};
    answer.refs[3] = Variant("0001");
    const std::string whole = wire::EncodeAnswer(answer);

    constexpr std::size_t kPiece = 4096;
    std::vector<std::string> pieces;
    wire::EncodeAnswerTo(
        answer, [&](std::string_view piece) { pieces.emplace_back(piece); }, kPiece);
    std::string joined;
    for (const std::string& piece : pieces)
        joined += piece;
    EXPECT_EQ(joined, whole);
    ASSERT_GT(pieces.size(), whole.size() / kPiece - 1);
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        EXPECT_GE(pieces[i].size(), kPiece) << "piece " << i;
        EXPECT_LT(pieces[i].size(), kPiece + 64) << "piece " << i << " holds more than one row past its size";
        EXPECT_EQ(pieces[i].back(), ']') << "piece " << i << " ends inside a row";
    }
    EXPECT_EQ(wire::DecodeAnswer(joined).result[1][0].AsPacket().RowCount(), 3000u);
}

namespace {
// A one-column packet of `type` whose single row holds `cell`; `spaced` puts
// blanks around the cell, which sends the row to the general reader.
std::string OneCellPacket(const char* type, const std::string& cell, bool spaced) {
    const std::string row = spaced ? "[ " + cell + " ]" : "[" + cell + "]";
    return std::string(R"({"packet":{"fields":[{"name":"A","type":")") + type + R"("}],"rows":[)" + row +
           "]}}";
}

// The decoded cell as comparable text, or the error without its offset.
std::string DecodedCell(const std::string& json) {
    try {
        const Variant cell = wire::Decode(json).AsPacket().Value(0, 0);
        if (cell.type() == Variant::Type::Float)
            return "float " + std::to_string(std::bit_cast<std::uint64_t>(cell.AsFloat()));
        return wire::Encode(cell);
    } catch (const EWireError& error) {
        const std::string message = error.what();
        return "error " + message.substr(0, message.find(" at offset"));
    }
}
}  // namespace

// Rows as the server writes them take a fast path; every other row is read
// again by the general reader. Both give the same cell or the same error.
TEST(Wire, CompactAndSpacedRowsDecodeEveryCellAlike) {
    const struct {
        const char* type;
        std::vector<std::string> cells;
    } cases[] = {
        {"float",
         {"0",
          "-0",
          "-0.0",
          "0.1",
          "1025.25",
          "-1249.75",
          "1007369.6399999999",
          "123456789012.345",
          "1234567890123.456",
          "9223372036854775807",
          "9223372036854775808",
          "99999999999999999999",
          "0.0000000000000000001",
          "1e5",
          "1.5E-3",
          "01",
          "1.",
          "-",
          ".5",
          "-a",
          "1e999",
          "null",
          "\"1\"",
          "true"}},
        {"integer",
         {"0", "-12", "9223372036854775807", "-9223372036854775808", "9223372036854775808", "1.5", "1e2"}},
        {"string",
         {R"("")", R"("abc")", R"("a\"b")", "\"ação\"", R"("\u00e7")", "\"a\tb\"", "1", "null", "nul"}},
        {"date",
         {R"({"date":"2024-02-29"})", R"({"date":"2023-02-29"})", R"({"date":"2024-1-02"})",
          R"({"date":"2024-01-0x"})", R"({"date":"2024-01-02" })", R"({ "date":"2024-01-02"})",
          R"({"date":"2024-01-02","x":1})", R"({"datetime":"2024-01-02T10:00:00"})", R"({"date":"2024-01-02)",
          R"({"date":"\u0032024-01-02"})", R"({"dat":"2024-01-02"})"}},
        {"datetime",
         {R"({"datetime":"2024-01-02T23:59:59"})", R"({"datetime":"2024-01-02T24:00:00"})",
          R"({"datetime":"2024-01-02 10:00:00"})", R"({"datetime":"2024-01-02"})", R"({"date":"2024-01-02"})",
          R"({"datetime":"2024-01-02T10:00"})", R"({"datetime":"2024-13-02T10:00:00"})"}},
        {"boolean", {"true", "false", "tru", "null", "0"}},
    };
    for (const auto& c : cases) {
        for (const std::string& cell : c.cells) {
            const std::string compact = DecodedCell(OneCellPacket(c.type, cell, false));
            EXPECT_EQ(compact, DecodedCell(OneCellPacket(c.type, cell, true))) << c.type << " " << cell;
            if (std::string_view(c.type) == "float" && compact.starts_with("float")) {
                EXPECT_EQ(compact.substr(6),
                          std::to_string(std::bit_cast<std::uint64_t>(wire::Decode(cell).AsFloat() + 0.0)))
                    << cell;
            }
        }
    }
    EXPECT_EQ(DecodedCell(OneCellPacket("date", R"({"date":"2024-02-29"})", false)),
              R"({"date":"2024-02-29"})");
    EXPECT_EQ(DecodedCell(OneCellPacket("datetime", R"({"date":"2024-01-02"})", false)),
              R"({"datetime":"2024-01-02T00:00:00"})");
}
