#include <gtest/gtest.h>

#include "vcl/exceptions.h"
#include "vcl/filter.h"
#include "vcl/mask_text.h"
#include "vcl/text_format.h"
#include "vcl/utf8.h"
#include "vcl/utf8_check.h"

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

// Expected texts follow the classic mask unit: what the value does not fill
// is a space (never the mask's blank character); ";0" fills the input
// positions in order and keeps what is left over; ";1" splits the value at the
// mask's literals and fits each piece to its sub-field.
TEST(FormatMaskText, FormatsAsTheClassicMaskUnit) {
    const struct {
        const char* name;
        const char* mask;
        const char* value;
        const char* text;
    } cases[] = {
        {"a full CNPJ without literals, literals not saved", "99.999.999/9999-99;0;_", "12345678000195",
         "12.345.678/0001-95"},
        {"a CNPJ short of one digit ends in a space", "99.999.999/9999-99;0;_", "1234567000195",
         "12.345.670/0019-5 "},
        {"a CNPJ with a digit too many keeps it at the end", "99.999.999/9999-99;0;_", "123456780001950",
         "12.345.678/0001-950"},
        {"a full CPF", "999.999.999-99;0;_", "12345678901", "123.456.789-01"},
        {"a short CPF shows spaces, not the blank character", "999.999.999-99;0;_", "123", "123.   .   -  "},
        {"an empty value shows the literals", "999.999.999-99;0;_", "", "   .   .   -  "},
        {"a CPF with digits too many keeps them", "999.999.999-99;0;_", "1234567890123", "123.456.789-0123"},
        {"literals not saved: literals in the value are ordinary characters", "999-999;0;_", "123-456",
         "123--456"},
        {"a custom blank character is not used", "99.99;0;*", "12", "12.  "},
        {"a two-digit code with a space blank", "99;0; ", "7", "7 "},
        {"literals saved: a full value carrying them", "99.999.999/9999-99;1;_", "12.345.678/0001-95",
         "12.345.678/0001-95"},
        {"literals saved by default", "99.999.999/9999-99", "12.345.678/0001-95", "12.345.678/0001-95"},
        {"literals saved, value without them: all one first piece", "99.999.999/9999-99", "12345678000195",
         "12.   .   /    -  "},
        {"literals saved: a short piece is padded at its end", "999.999.999-99;1;_", "123.45.789-1",
         "123.45 .789-1 "},
        {"literals saved: a long piece is cut to its width", "999.999.999-99;1;_", "1234.456.7890-012",
         "123.456.789-01"},
        {"literals saved: a missing literal ends the value there", "999-999;1;_", "12", "12 -   "},
        {"literals saved: an empty value", "999-999", "", "   -   "},
        {"an escaped mask character is a literal", "\\(99\\) 9999;0;_", "119876", "(11) 9876"},
        {"escaped literals saved", "\\(99\\) 9999;1;_", "(11) 9876", "(11) 9876"},
        {"upper case switch", ">LL-000;0;_", "ab123", "AB-123"},
        {"lower case, then case kept", "<LL<>LL;0;_", "ABCD", "abCD"},
        {"upper case with literals saved", ">LL-000", "ab-123", "AB-123"},
        {"accented letters count as one position each", "AA/aa;0;_", "çãou", "çã/ou"},
        {"accented letters fill sub-fields", "AA/aa", "ç/ã", "ç /ã "},
        {"no mask: the value unchanged", "", "abc", "abc"},
        {"no mask with a save flag: the value unchanged", ";0;_", "abc", "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMaskText(c.mask, c.value), c.text) << c.name << ": " << c.mask << " " << c.value;
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
    EXPECT_EQ(utf8::Length("ação"), 4u);
    EXPECT_EQ(utf8::Prefix("ação", 2), "aç");
    // Malformed text: a cut sequence is a character of its own, and never hides the next one.
    EXPECT_EQ(utf8::Length("\xC3"
                           "a"),
              2u);
    EXPECT_EQ(utf8::Prefix("\xC3"
                           "ab",
                           2),
              "\xC3"
              "a");
    EXPECT_EQ(utf8::CharAt("ção", 0), "ç");
    EXPECT_EQ(UpperText("ação é"), "AÇÃO É");
}

// Each sequence is checked alone and behind ASCII runs of every length up to
// 40, so that it falls on every position of the 8-, 16- and 32-byte scans,
// the end of the text included (a truncated sequence must not be read past).
TEST(Utf8Check, AcceptsWellFormedAndRefusesEveryMalformedForm) {
    const struct {
        const char* bytes;
        bool valid;
    } cases[] = {
        {"a", true},
        {"\xC3\xA7", true},           // ç
        {"\xE2\x82\xAC", true},       // €
        {"\xF0\x9F\x98\x80", true},   // U+1F600
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
        {"\xED\x9F\xBF", true},       // U+D7FF, just below the surrogates
        {"\xEF\xBF\xBF", true},       // U+FFFF
        {"\xC3\xA7\xC3\xA3o", true},  // two in a row, then ASCII
        {"\x80", false},              // a continuation byte alone
        {"\xC3", false},              // truncated
        {"\xC3\x28", false},          // a lead without its continuation
        {"\xC0\xAF", false},          // overlong '/'
        {"\xC1\xBF", false},          // overlong
        {"\xE0\x9F\xBF", false},      // overlong three-byte
        {"\xE2\x82", false},          // truncated three-byte
        {"\xED\xA0\x80", false},      // U+D800, a surrogate
        {"\xF0\x8F\xBF\xBF", false},  // overlong four-byte
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"\xF0\x9F\x98", false},  // truncated four-byte
    };
    for (const auto& c : cases) {
        for (std::size_t padding = 0; padding <= 40; ++padding) {
            const std::string before(padding, 'x');
            EXPECT_EQ(utf8::IsValid(before + c.bytes), c.valid) << padding << " " << c.bytes;
            EXPECT_EQ(utf8::IsValid(before + c.bytes + std::string(padding, 'y')), c.valid) << padding;
        }
    }
    EXPECT_TRUE(utf8::IsValid({}));
    EXPECT_TRUE(utf8::IsValid(std::string_view("a\0b", 3)));
}
