#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "vcl/calendar.h"
#include "vcl/data_packet.h"
#include "vcl/exceptions.h"
#include "vcl/variant.h"
#include "vcl/wire.h"

using namespace vcl;

TEST(Calendar, DatesConvertBothWaysAndRejectImpossibleDays) {
    const TDate date = TDate::FromYmd(2024, 2, 29);
    EXPECT_EQ(date.ToBr(), "29/02/2024");
    EXPECT_EQ(date.ToIso(), "2024-02-29");
    EXPECT_EQ(TDate::ParseBr("29/02/2024"), date);
    EXPECT_EQ(TDate::ParseIso("2024-02-29"), date);
    EXPECT_EQ(TDate::FromYmd(1970, 1, 1).days, 0);
    EXPECT_EQ(TDate::FromYmd(1899, 12, 30).ToBr(), "30/12/1899");
    for (const char* bad :
         {"29/02/2023", "31/04/2024", "00/01/2024", "1/1/2024", "01-01-2024", "aa/bb/cccc", ""})
        EXPECT_FALSE(TDate::ParseBr(bad)) << bad;
    const auto dateTime = TDateTime::ParseIso("2024-03-05T14:07:09");
    ASSERT_TRUE(dateTime);
    EXPECT_EQ(dateTime->ToIso(), "2024-03-05T14:07:09");
    EXPECT_EQ(dateTime->ToBr(), "05/03/2024 14:07:09");
    EXPECT_EQ(TDateTime::FromDate(TDate::FromYmd(1960, 5, 1)).ToBr(), "01/05/1960");
    EXPECT_FALSE(TDateTime::ParseIso("2024-03-05T24:00:00"));
}

struct StringCase {
    const char* name;
    Variant value;
    std::string text;
};

TEST(Calendar, AppendedIsoTextIsTheFormattedOneForEveryYearAndTime) {
    const auto at = [](int year, int month, int day) {
        return TDateTime::FromDate(TDate::FromYmd(year, month, day)).seconds;
    };
    const std::vector<std::int64_t> cases = {
        0,
        -1,
        at(2026, 3, 15) + 3723,
        at(2000, 2, 29) + 86399,
        at(9999, 12, 31) + 86399,
        at(9999, 12, 31) + 86400,  // the last four-digit year, then year 10000
        at(1, 1, 1) - 1,
        at(1, 1, 1) - 86400 * 400,  // year 0, then a negative year
    };
    for (const std::int64_t seconds : cases) {
        std::string appended = "x";
        TDateTime{seconds}.AppendIso(appended);
        EXPECT_EQ(appended, "x" + TDateTime{seconds}.ToIso()) << seconds;
    }
}

TEST(Variant, AsStringOfEveryScalarType) {
    const StringCase cases[] = {
        {"unassigned is empty", Variant(), ""},
        {"null is empty", Variant::Null(), ""},
        {"text as itself", Variant("abc"), "abc"},
        {"integer", Variant(42), "42"},
        {"float in its shortest form", Variant(10.5), "10.5"},
        {"whole float without decimals", Variant(3.0), "3"},
        {"boolean", Variant(true), "true"},
        {"date as dd/mm/yyyy", Variant(TDate::FromYmd(2025, 1, 31)), "31/01/2025"},
        {"date-time with its time",
         Variant(TDateTime{TDateTime::FromDate(TDate::FromYmd(2025, 1, 31)).seconds + 3661}),
         "31/01/2025 01:01:01"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value.AsString(), c.text) << c.name;
}

TEST(Variant, NumbersParseFromTextWithPointOrComma) {
    EXPECT_DOUBLE_EQ(Variant("10,5").AsFloat(), 10.5);
    EXPECT_DOUBLE_EQ(Variant("10.5").AsFloat(), 10.5);
    EXPECT_DOUBLE_EQ(Variant("1.234,5").AsFloat(), 1234.5);
    EXPECT_DOUBLE_EQ(Variant(" -2 ").AsFloat(), -2);
    EXPECT_EQ(Variant("17").AsInteger(), 17);
    EXPECT_EQ(Variant(2.6).AsInteger(), 3);
    EXPECT_DOUBLE_EQ(Variant::Null().AsFloat(), 0);
    for (const char* bad : {"abc", "", "1,2,3", "1e", "nan", "inf"}) {
        EXPECT_THROW(Variant(bad).AsFloat(), EConvertError) << bad;
    }
    EXPECT_THROW(Variant("12x").AsInteger(), EConvertError);
}

TEST(Variant, DatesParseFromTextAndRefuseOtherText) {
    EXPECT_EQ(Variant("05/03/2024").AsDate(), TDate::FromYmd(2024, 3, 5));
    EXPECT_EQ(Variant("2024-03-05").AsDate(), TDate::FromYmd(2024, 3, 5));
    EXPECT_EQ(Variant("05/03/2024 10:00:00").AsDateTime().ToIso(), "2024-03-05T10:00:00");
    EXPECT_THROW(Variant("31/02/2024").AsDate(), EConvertError);
    EXPECT_THROW(Variant(VariantArray{}).AsDate(), EVariantError);
}

TEST(Variant, ArraysAndPacketsAreCheckedOnAccess) {
    const Variant array(VariantArray{Variant("a"), Variant(1)});
    EXPECT_EQ(array.ArrayLength(), 2u);
    EXPECT_EQ(array[1], Variant(1));
    EXPECT_THROW(array[2], EVariantError);
    EXPECT_THROW(Variant("x").AsArray(), EVariantError);
    EXPECT_THROW(Variant(1).AsPacket(), EVariantError);
    EXPECT_THROW(array.AsString(), EVariantError);
}

TEST(Variant, EqualityIsStructuralAndTyped) {
    EXPECT_EQ(Variant("a"), Variant(std::string("a")));
    EXPECT_NE(Variant(1), Variant(1.0));
    EXPECT_NE(Variant(), Variant::Null());
    EXPECT_EQ(Variant::Null(), Variant::Null());
    EXPECT_EQ(Variant(VariantArray{Variant(1), Variant::Null()}),
              Variant(VariantArray{Variant(1), Variant::Null()}));
}

TEST(DataPacket, BuilderConvertsToColumnTypesAndRefusesBadRows) {
    PacketBuilder builder(
        {{"CODE", FieldType::String, 4}, {"QT", FieldType::Float, 0}, {"DT", FieldType::Date, 0}});
    builder.AppendRow({Variant("0001"), Variant("2,5"), Variant("01/02/2024")});
    EXPECT_THROW(builder.AppendRow({Variant("0002"), Variant("x"), Variant::Null()}), EConvertError);
    EXPECT_THROW(builder.AppendRow({Variant("0002")}), EConvertError);
    builder.AppendRow({Variant::Null(), Variant(3), Variant::Null()});
    const DataPacket packet = builder.Finish();
    ASSERT_EQ(packet.RowCount(), 2u);
    EXPECT_EQ(packet.Value(0, 1), Variant(2.5));
    EXPECT_EQ(packet.Value(0, 2), Variant(TDate::FromYmd(2024, 2, 1)));
    EXPECT_EQ(packet.Value(1, 0), Variant::Null());
    EXPECT_EQ(packet.Value(1, 1), Variant(3.0));
    EXPECT_EQ(packet.FieldIndex("qt"), 1);
    EXPECT_EQ(packet.FieldIndex("NONE"), -1);
}

TEST(DataPacket, CellRowsFitTheirColumnsOrLeaveTheBuilderAsItWas) {
    PacketBuilder builder(
        {{"CODE", FieldType::String, 4}, {"QT", FieldType::Float, 0}, {"DT", FieldType::DateTime, 0}});
    const TDateTime march5 = TDateTime::FromDate(TDate::FromYmd(2026, 3, 5));
    const std::string code = "0001";
    const Cell good[] = {Cell::Text(code), Cell::Float(-0.0), Cell::DateTime(march5)};
    builder.AppendCells(good);
    struct Refused {
        const char* why;
        std::vector<Cell> cells;
    };
    const Refused refused[] = {
        {"a text in a float column", {Cell::Text("x"), Cell::Text("1"), Cell::Null()}},
        {"a float in a string column", {Cell::Float(1), Cell::Float(1), Cell::Null()}},
        {"a date-time in a float column", {Cell::Null(), Cell::DateTime(march5), Cell::Null()}},
        {"a number that is not finite",
         {Cell::Null(), Cell::Float(std::numeric_limits<double>::infinity()), Cell::Null()}},
        {"too few cells", {Cell::Null(), Cell::Null()}},
    };
    for (const Refused& row : refused)
        EXPECT_THROW(builder.AppendCells(row.cells), EConvertError) << row.why;
    const Cell nulls[] = {Cell::Null(), Cell::Null(), Cell::Null()};
    builder.AppendCells(nulls);
    const DataPacket packet = builder.Finish();
    ASSERT_EQ(packet.RowCount(), 2u) << "a refused row adds nothing";
    EXPECT_EQ(packet.Value(0, 0), Variant("0001"));
    EXPECT_EQ(wire::Encode(packet.Value(0, 1)), "0.0") << "negative zero is stored as zero";
    EXPECT_EQ(packet.Value(0, 2), Variant(march5));
    for (std::size_t c = 0; c < 3; ++c)
        EXPECT_EQ(packet.Value(1, c), Variant::Null());
}
