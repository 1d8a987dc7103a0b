#include <gtest/gtest.h>

#include "vcl/exceptions.h"
#include "vcl/filter.h"
#include "vcl/mask_text.h"
#include "vcl/text_format.h"

using namespace vcl;

TEST(FormatFloat, BrazilianSeparatorsAndPatterns) {
    const struct {
        const char* pattern;
        double value;
        const char* text;
    } cases[] = {
        {"#,##0.00", 1234.5, "1.234,50"},
        {"#,##0.000", 10, "10,000"},
        {"#,##0.00", 0, "0,00"},
        {"#,##0.00", -1234567.891, "-1.234.567,89"},
        {"#,##0.00", 0.005, "0,01"},
        {"0.###", 2.5, "2,5"},
        {"0", 2.5, "3"},
        {"#,##0.00", -0.001, "0,00"},
        {"R$ #,##0.00", 5, "R$ 5,00"},
        {"0.00;(0.00)", -3, "(3,00)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.pattern, c.value), c.text) << c.pattern << " " << c.value;
}

TEST(FormatMaskText, PlacesValueCharactersAndInsertsLiterals) {
    const struct {
        const char* mask;
        const char* value;
        const char* text;
    } cases[] = {
        {"99.999.999/9999-99;0;_", "12345678000195", "12.345.678/0001-95"},
        {"999.999.999-99;0;_", "12345678901", "123.456.789-01"},
        {"999.999.999-99;0;_", "123", "123.___.___-__"},
        {"99;0; ", "7", "7 "},
        {"999-999;1;_", "123-456", "123-456"},
        {"999-999", "123-456", "123-456"},
        {"\\(99\\) 9999;0;_", "119876", "(11) 9876"},
        {">LL-000;0;_", "ab123", "AB-123"},
        {"99.99;0;*", "123456", "12.34"},
        {"", "abc", "abc"},  // no mask: the value unchanged
        {"AA/aa;0;_", "çãou", "çã/ou"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMaskText(c.mask, c.value), c.text) << c.mask << " " << c.value;
}

TEST(Filter, ParsesConditionsJoinedByAnd) {
    EXPECT_TRUE(ParseFilter("   ").empty());
    const auto terms = ParseFilter("CDFILIAL = '0001' and  NRLANCTONF='O''Brien ='' AND'");
    ASSERT_EQ(terms.size(), 2u);
    EXPECT_EQ(terms[0], (FilterTerm{"CDFILIAL", "0001"}));
    EXPECT_EQ(terms[1], (FilterTerm{"NRLANCTONF", "O'Brien =' AND"}));
    EXPECT_EQ(ParseFilter("[IDMARCADO] = ''")[0], (FilterTerm{"IDMARCADO", ""}));
    EXPECT_EQ(QuotedStr("O'Brien"), "'O''Brien'");
    EXPECT_EQ(ParseFilter("A = " + QuotedStr("x''y'"))[0].value, "x''y'");
}

TEST(Filter, MalformedTextRaisesDatabaseErrorQuotingIt) {
    for (const char* bad :
         {"CDFILIAL", "CDFILIAL = 0001", "CDFILIAL = '0001", "= 'x'", "A = 'x' AND", "A = 'x' B = 'y'",
          "A = 'x' ANDB = 'y'", "A == 'x'", "1A = 'x'", "A = 'x' OR B = 'y'"}) {
        try {
            ParseFilter(bad);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const EDatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find(std::string("'") + bad + "'"), std::string::npos)
                << error.what();
        }
    }
}

TEST(TextHelpers, DecimalParsingAndUtf8Prefix) {
    EXPECT_EQ(ParseDecimal("1.234,56"), 1234.56);
    EXPECT_EQ(ParseDecimal("-0,5"), -0.5);
    EXPECT_FALSE(ParseDecimal("1,2,3"));
    EXPECT_FALSE(ParseDecimal("12a"));
    EXPECT_EQ(Utf8Length("ação"), 4u);
    EXPECT_EQ(Utf8Prefix("ação", 2), "aç");
    EXPECT_EQ(UpperText("ação é"), "AÇÃO É");
}
