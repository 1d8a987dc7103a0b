#include "scenario/value_text.h"

#include <gtest/gtest.h>

#include "vcl/data_packet.h"

namespace scenario {
namespace {

TEST(ParseNumber, AcceptsCommaOrPointAsDecimalSeparator) {
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"12", 12.0},          {"-3.5", -3.5},          {"3,5", 3.5},         {"1.234,50", 1234.5},
        {"0,001", 0.001},      {"", std::nullopt},      {"-", std::nullopt},  {"1.2.3", std::nullopt},
        {"12a", std::nullopt}, {"1,2,3", std::nullopt}, {" 1", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseNumber(c.text), c.value) << c.text;
    }
}

TEST(Matches, NumbersByValueAndEverythingElseExactly) {
    EXPECT_TRUE(Matches("1,5", {"1.5", true}));
    EXPECT_TRUE(Matches("1.500", {"1.5", true}));
    EXPECT_TRUE(Matches("10", {"10", true}));
    EXPECT_FALSE(Matches("1,51", {"1.5", true}));
    EXPECT_FALSE(Matches("abc", {"1.5", true}));
    // Text is compared exactly: leading zeros of codes count.
    EXPECT_FALSE(Matches("1", {"0001", false}));
    EXPECT_TRUE(Matches("0001", {"0001", false}));
    EXPECT_FALSE(Matches("1,5", {"1.5", false}));
}

TEST(VariantText, WritesValuesAsTheLanguageDoes) {
    vcl::PacketBuilder builder({{"CDFILIAL", vcl::FieldType::String, 4}});
    builder.AppendRow({vcl::Variant("0001")});
    builder.AppendRow({vcl::Variant("0002")});
    const vcl::Variant packet(builder.Finish());

    EXPECT_EQ(VariantText(vcl::Variant::Null()).text, "null");
    EXPECT_EQ(VariantText(packet).text, "rows:2");
    EXPECT_EQ(VariantText(vcl::Variant(vcl::TDate::FromYmd(2026, 3, 7))).text, "07/03/2026");
    EXPECT_EQ(VariantText(vcl::Variant(true)).text, "true");
    EXPECT_EQ(VariantText(vcl::Variant("S")).text, "S");
    const FoundText number = VariantText(vcl::Variant(2.5));
    EXPECT_TRUE(number.numeric);
    EXPECT_TRUE(Matches("2,5", number));
    EXPECT_EQ(VariantText(vcl::Variant(vcl::VariantArray{vcl::Variant(""), packet})).text, "[; rows:2]");
}

TEST(DateTextAsShown, RewritesIsoDatesOnly) {
    EXPECT_EQ(DateTextAsShown("2026-03-07"), "07/03/2026");
    EXPECT_EQ(DateTextAsShown("2026-03-07 00:00:00"), "07/03/2026");
    EXPECT_EQ(DateTextAsShown("2026-03-07T10:00:00"), "2026-03-07T10:00:00");
    EXPECT_EQ(DateTextAsShown("0001"), "0001");
    EXPECT_EQ(DateTextAsShown("2026-3-7"), "2026-3-7");
}

}  // namespace
}  // namespace scenario
