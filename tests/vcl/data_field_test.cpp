#include <gtest/gtest.h>

#include "vcl/dataset.h"
#include "vcl/exceptions.h"

using namespace vcl;

namespace {

class FieldTest : public ::testing::Test {
protected:
    FieldTest() : root(nullptr, "frm"), cds(root.Make<TClientDataSet>("cdsNotas")) {
        cds.AddField({"NRINSJURFORN", FieldType::String, 20});
        cds.AddField({"VRNOTAFISC", FieldType::Float, 0});
        cds.AddField({"DTENTRSAID", FieldType::DateTime, 0});
        cds.AddField({"NRSEQ", FieldType::Integer, 0});
        cds.AddField({"IDMARCADO", FieldType::FixedChar, 1});
        cds.CreateDataSet();
        cds.Append();
    }
    TField& F(const char* name) { return cds.FieldByName(name); }

    TComponent root;
    TClientDataSet& cds;
};

TEST_F(FieldTest, DisplayTextAppliesFormatMaskAndDates) {
    F("VRNOTAFISC").SetAsFloat(1234.5);
    F("NRINSJURFORN").SetAsString("12345678000195");
    F("DTENTRSAID").SetValue(Variant(TDate::FromYmd(2024, 3, 5)));
    F("NRSEQ").SetAsInteger(7);
    EXPECT_EQ(F("VRNOTAFISC").DisplayText(), "1234,5");
    F("VRNOTAFISC").DisplayFormat = "#,##0.00";
    EXPECT_EQ(F("VRNOTAFISC").DisplayText(), "1.234,50");
    EXPECT_EQ(F("VRNOTAFISC").EditText(), "1234,5");
    F("NRINSJURFORN").EditMask = "99.999.999/9999-99;0;_";
    EXPECT_EQ(F("NRINSJURFORN").DisplayText(), "12.345.678/0001-95");
    EXPECT_EQ(F("NRINSJURFORN").EditText(), "12345678000195");
    EXPECT_EQ(F("DTENTRSAID").DisplayText(), "05/03/2024");
    EXPECT_EQ(F("NRSEQ").DisplayText(), "7");
    EXPECT_EQ(F("IDMARCADO").DisplayText(), "");
    F("NRINSJURFORN").OnGetText = [](TField* sender, std::string& text, bool display) {
        text = (display ? "shown:" : "edit:") + sender->Value().AsString();
    };
    EXPECT_EQ(F("NRINSJURFORN").DisplayText(), "shown:12345678000195");
    EXPECT_EQ(F("NRINSJURFORN").EditText(), "edit:12345678000195");
}

TEST_F(FieldTest, SetEditTextParsesCommaOrPointAndEmptyMeansNull) {
    const struct {
        const char* field;
        const char* text;
        Variant value;
    } cases[] = {
        {"VRNOTAFISC", "10,5", Variant(10.5)},
        {"VRNOTAFISC", "10.5", Variant(10.5)},
        {"VRNOTAFISC", "1.234,56", Variant(1234.56)},
        {"VRNOTAFISC", "", Variant::Null()},
        {"NRSEQ", " 12 ", Variant(12)},
        {"DTENTRSAID", "05/03/2024", Variant(TDateTime::FromDate(TDate::FromYmd(2024, 3, 5)))},
        {"NRINSJURFORN", "", Variant::Null()},
        {"IDMARCADO", "S", Variant("S")},
    };
    for (const auto& c : cases) {
        F(c.field).SetEditText(c.text);
        EXPECT_EQ(F(c.field).Value(), c.value) << c.field << " '" << c.text << "'";
    }
}

TEST_F(FieldTest, UnconvertibleTextNamesTheFieldAndKeepsTheValue) {
    F("VRNOTAFISC").SetAsFloat(3);
    for (const char* bad : {"abc", "1,2,3", "3x"}) {
        try {
            F("VRNOTAFISC").SetEditText(bad);
            ADD_FAILURE() << bad;
        } catch (const EConvertError& error) {
            EXPECT_NE(std::string(error.what()).find("VRNOTAFISC"), std::string::npos);
        }
    }
    EXPECT_THROW(F("DTENTRSAID").SetEditText("31/02/2024"), EConvertError);
    EXPECT_THROW(F("NRSEQ").SetValue(Variant("x")), EConvertError);
    EXPECT_DOUBLE_EQ(F("VRNOTAFISC").AsFloat(), 3);
}

TEST_F(FieldTest, WritingOutsideEditIsRefused) {
    F("NRSEQ").SetAsInteger(1);
    cds.Post();
    EXPECT_THROW(F("NRSEQ").SetAsInteger(2), EDatabaseError);
    EXPECT_EQ(F("NRSEQ").AsInteger(), 1);
    EXPECT_THROW(cds.FieldByName("NOPE"), EDatabaseError);
    EXPECT_EQ(cds.FindField("nrseq"), &F("NRSEQ"));
}

}  // namespace
