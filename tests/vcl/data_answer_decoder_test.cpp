// The answer decoder that reads while the text arrives must give exactly what
// the whole-text decoder gives, errors included, wherever the pieces are cut.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "vcl/answer_decoder.h"
#include "vcl/data_packet.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"

using namespace vcl;

namespace {

struct Outcome {
    std::string error;  // empty when decoded
    wire::Answer answer;
};

Outcome Whole(std::string_view text) {
    Outcome outcome;
    try {
        outcome.answer = wire::DecodeAnswer(text);
    } catch (const EWireError& error) {
        outcome.error = error.what();
    }
    return outcome;
}

// `cuts`: the offsets where one piece ends and the next begins, ascending.
Outcome Streamed(std::string_view text, const std::vector<std::size_t>& cuts) {
    Outcome outcome;
    wire::AnswerDecoder decoder;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        decoder.Feed(text.substr(from, cut - from));
        from = cut;
    }
    decoder.Feed(text.substr(from));
    try {
        outcome.answer = decoder.Finish();
    } catch (const EWireError& error) {
        outcome.error = error.what();
    }
    return outcome;
}

::testing::AssertionResult Same(const Outcome& whole, const Outcome& streamed) {
    if (whole.error != streamed.error)
        return ::testing::AssertionFailure()
               << "whole: '" << whole.error << "', streamed: '" << streamed.error << "'";
    if (!(whole.answer.result == streamed.answer.result) || whole.answer.refs != streamed.answer.refs)
        return ::testing::AssertionFailure() << "the decoded answers differ";
    return ::testing::AssertionSuccess();
}

constexpr const char* kFields =
    R"([{"name":"CDNOTA","type":"string","size":10},{"name":"QT","type":"float"},)"
    R"({"name":"NR","type":"integer"},{"name":"DT","type":"date"},{"name":"OK","type":"boolean"}])";

std::string Packet(const std::string& rows, const char* fields = kFields) {
    return std::string(R"({"packet":{"fields":)") + fields + R"(,"rows":)" + rows + "}}";
}

const std::string kRows =
    R"([["ação",1.5,7,{"date":"2026-03-15"},true],["ação",2,null,null,false],)"
    R"([ "a\"b\u00e7" , -0.0 , 8 , {"date":"2026-01-01"} , true ],[null,1e3,9,{"date":"2026-12-31"},false]])";

struct Case {
    const char* name;
    std::string text;
    std::size_t stride = 1;  // cut at every this many bytes
};

// Answers as the server writes them, and the ways an answer can be wrong,
// inside the rows and around them.
std::vector<Case> Answers() {
    const std::string integerPacket = R"({"packet":{"fields":[{"name":"A","type":"integer"}],"rows":)";
    return {
        {"two packets in arrays, refs", R"({"result":["",[)" + Packet(kRows) + "," + Packet("[]") +
                                            R"(]],"refs":{"3":"N","4":)" + Packet(kRows) + "}}"},
        {"blanks everywhere", " {\n \"result\" : [ " + Packet(kRows) + " ] ,\"refs\" : { } } \n"},
        {"a packet without fields", R"({"result":)" + Packet("[[],[]]", "[]") + "}"},
        {"rows before fields",
         R"({"result":{"packet":{"rows":[[1]],"fields":[{"name":"A","type":"integer"}]}}})"},
        {"a key with escapes",
         R"({"result":{"packet":{"f\u0069elds":[{"name":"A","type":"integer"}],"rows":[[1],[2]]}}})"},
        {"a packet in a skipped member", R"({"skip":)" + integerPacket + R"([["x"]]}},"result":1})"},
        {"a second result is skipped", R"({"result":1,"result":)" + integerPacket + R"([["x"]]}}})"},
        {"a string that looks like a packet", R"({"result":["{\"packet\":{\"fields\":[],\"rows\":[["]})"},
        {"a cell of the wrong type", R"({"result":)" + integerPacket + R"([[1],[2],["3"],[4]]}}})"},
        {"a row too short", R"({"result":)" + integerPacket + R"([[1],[2],[],[4]]}}})"},
        {"a row that is no array", R"({"result":)" + integerPacket + R"([[1],2]}}})"},
        {"rows that are no array", R"({"result":)" + integerPacket + R"(7}}})"},
        {"rows twice", R"({"result":)" + integerPacket + R"([[1]],"rows":[]}}})"},
        {"fields twice", R"({"result":)" + integerPacket + R"([[1]],"fields":[]}}})"},
        {"more after the packet", R"({"result":)" + integerPacket + R"([[1]]},"x":1}})"},
        {"cut inside the rows", R"({"result":)" + integerPacket + R"([[1],[2],[3)"},
        {"cut after the rows", R"({"result":)" + integerPacket + R"([[1],[2]]}})"},
        {"trailing content", R"({"result":)" + integerPacket + R"([[1]]}}} x)"},
        {"no result", R"({"refs":{}})"},
        {"a bad ref position", R"({"result":1,"refs":{"0":)" + integerPacket + R"([[1]]}}}})"},
        {"invalid UTF-8 after a wrong cell",
         R"({"result":)" + integerPacket + R"([["x"]]}},"refs":{"1":"\xC3\x28"}})"},
        {"a sequence cut by the end", R"({"result":"a)"
                                      "\xC3"},
        {"nesting too deep after a packet",
         R"({"result":[)" + Packet(kRows) + "," + std::string(1100, '[') + std::string(1100, ']') + "]}", 97},
        {"an unknown field type",
         R"({"result":{"packet":{"fields":[{"name":"A","type":"money"}],"rows":[[1]]}}})"},
        {"the empty text", ""},
    };
}

TEST(AnswerDecoder, EveryAnswerCutAtEveryByteDecodesAsTheWholeText) {
    for (const Case& c : Answers()) {
        const Outcome whole = Whole(c.text);
        EXPECT_TRUE(Same(whole, Streamed(c.text, {}))) << c.name << ", in one piece";
        std::vector<std::size_t> cuts;
        for (std::size_t cut = 1; cut < c.text.size(); cut += c.stride) {
            EXPECT_TRUE(Same(whole, Streamed(c.text, {cut}))) << c.name << ", cut at " << cut;
            cuts.push_back(cut);
        }
        EXPECT_TRUE(Same(whole, Streamed(c.text, cuts))) << c.name << ", in pieces of " << c.stride;
    }
}

// Over a megabyte of rows: the decoder lets go of the text of rows it has
// read, and still reports errors past it as the whole text does.
TEST(AnswerDecoder, ALargeAnswerInRandomPiecesDecodesAsTheWholeText) {
    PacketBuilder items({{"CDNOTA", FieldType::String, 10},
                         {"DSITEM", FieldType::String, 200},
                         {"QT", FieldType::Float, 0},
                         {"DT", FieldType::Date, 0}});
    for (int i = 0; i < 12'000; ++i) {
        items.AppendRow({Variant("N" + std::to_string(i / 3)),
                         i % 7 == 0
                             ? Variant::Null()
                             : Variant("peça \"" + std::to_string(i % 50) + "\" " + std::string(150, 'x')),
                         Variant(i * 0.25), Variant(TDate::FromYmd(2026, 1 + i % 12, 1 + i % 28))});
    }
    wire::Answer answer;
    answer.result = VariantArray{"", VariantArray{items.Finish(), Variant::Null()}};
    const std::string text = wire::EncodeAnswer(answer);
    std::string wrongCell = text;
    wrongCell.replace(text.rfind(",null,") + 1, 4, "1234");  // a number where a text belongs, near the end
    const std::string cutShort = text.substr(0, text.size() - 40);
    ASSERT_GT(text.size(), std::size_t{1} << 20);
    std::mt19937 random(13);
    for (const std::string* variant : std::vector<const std::string*>{&text, &wrongCell, &cutShort}) {
        const Outcome whole = Whole(*variant);
        for (int round = 0; round < 7; ++round) {
            std::vector<std::size_t> cuts;
            const std::size_t mean = std::size_t{1} << (9 + round);
            for (std::size_t at = 0; (at += 1 + random() % (2 * mean)) < variant->size();)
                cuts.push_back(at);
            EXPECT_TRUE(Same(whole, Streamed(*variant, cuts))) << "round " << round;
        }
    }
    EXPECT_EQ(Streamed(text, {text.size() / 2}).answer.result[1][0].AsPacket(),
              answer.result[1][0].AsPacket());
}

}  // namespace
