#include "vlm/consiste.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "vcl/data_packet.h"
#include "vcl/dataset.h"
#include "vcl/exceptions.h"
#include "vcl/grid.h"
#include "vcl/mask_text.h"

namespace vlm {
namespace {

using testing::MessageLog;
using testing::Str;

TEST(Consiste, EmptyStringIsTrueOnlyForBlankText) {
    EXPECT_TRUE(TConsiste::EmptyString(""));
    EXPECT_TRUE(TConsiste::EmptyString("   "));
    EXPECT_TRUE(TConsiste::EmptyString(" \t "));
    EXPECT_FALSE(TConsiste::EmptyString(" 0 "));
    EXPECT_FALSE(TConsiste::EmptyString("a"));
}

TEST(Consiste, AjustaBringsCodesToTheStoredWidth) {
    struct Case {
        const char* name;
        const char* code;
        int width;
        const char* expected;
    };
    const Case cases[] = {
        {"a one-digit code is padded with zeros", "1", 4, "0001"},
        {"blanks around digits are dropped before padding", " 12 ", 4, "0012"},
        {"a code of the full width is kept", "0123", 4, "0123"},
        {"a longer code is left unchanged", "123456", 4, "123456"},
        {"an empty code stays empty", "", 2, ""},
        {"a blank code becomes empty", "   ", 2, ""},
        {"a code with letters is only trimmed", " A1 ", 4, "A1"},
        {"two-digit operation codes", "5", 2, "05"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TConsiste::Ajusta(c.code, c.width), c.expected) << c.name;
    }
}

TEST(Consiste, PictPessGivesTheRegistrationMaskOfThePersonType) {
    EXPECT_EQ(TConsiste::PictPess('F'), "999.999.999-99;0;_");
    EXPECT_EQ(TConsiste::PictPess('J'), "99.999.999/9999-99;0;_");
    EXPECT_EQ(TConsiste::PictPess("J"), "99.999.999/9999-99;0;_");
    EXPECT_EQ(TConsiste::PictPess('X'), "");
    EXPECT_EQ(TConsiste::PictPess(""), "");
    EXPECT_EQ(TConsiste::PictPess("FJ"), "");
}

// The supplier lookup shows the stored number through a get-text handler
// formatting it with its own row's person type.
TEST(Consiste, PictPessWithFormatMaskTextFormatsEachRowByItsPersonType) {
    vcl::TClientDataSet suppliers(nullptr, "qryFornecedor");
    testing::Load(suppliers, {Str("IDTPIJURFORN", 1), Str("NRINSJURFORN", 20)},
                  {{"F", "12345678901"}, {"J", "12345678000195"}});
    vcl::TField& number = suppliers.FieldByName("NRINSJURFORN");
    number.OnGetText = [&](vcl::TField* field, std::string& text, bool) {
        text = vcl::FormatMaskText(TConsiste::PictPess(suppliers.FieldByName("IDTPIJURFORN").AsString()),
                                   field->AsString());
    };
    std::vector<std::string> shown;
    for (suppliers.First(); !suppliers.Eof(); suppliers.Next())
        shown.push_back(number.DisplayText());
    EXPECT_EQ(shown, (std::vector<std::string>{"123.456.789-01", "12.345.678/0001-95"}));
    suppliers.First();
    EXPECT_EQ(number.AsString(), "12345678901") << "the stored value stays unformatted";
}

TEST(Consiste, RoundDecRoundsHalfAwayFromZeroOnTheDecimalValue) {
    struct Case {
        double value;
        int decimals;
        double expected;
    };
    const Case cases[] = {
        {10.0005, 3, 10.001},
        {1.0005, 3, 1.001},
        {2.675, 2, 2.68},
        {-10.0005, 3, -10.001},
        {1.2344, 3, 1.234},
        {0.0005, 3, 0.001},
        {0.0004, 3, 0.0},
        {999.9995, 3, 1000.0},
        {12.5, 0, 13.0},
        {-12.5, 0, -13.0},
        {7.0, 3, 7.0},
        {0.1 + 0.2, 3, 0.3},
        {1234567.8915, 3, 1234567.892},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TConsiste::RoundDec(c.value, c.decimals), c.expected) << c.value << " to " << c.decimals;
    }
}

TEST(Consiste, IndiceColFindsTheColumnBoundToAField) {
    vcl::TDBGrid grid(nullptr, "dbgItensNota");
    grid.AddColumn("IDMARCADO");
    grid.AddColumn("CDPRODUTO");
    grid.AddColumn("QTENVIADA");
    EXPECT_EQ(TConsiste::IndiceCol(grid, "QTENVIADA"), 2);
    EXPECT_EQ(TConsiste::IndiceCol(&grid, "idmarcado"), 0);
    EXPECT_EQ(TConsiste::IndiceCol(grid, "NMPRODUTO"), -1);
    EXPECT_EQ(TConsiste::IndiceCol(nullptr, "QTENVIADA"), -1);
}

TEST(Consiste, MensErroShowsAnErrorAndAbortsWhenAsked) {
    ScriptedServices services;
    TConsiste consiste(services);
    EXPECT_THROW(consiste.MensErro("Filial não cadastrada", true), vcl::EAbort);
    EXPECT_NO_THROW(consiste.MensErro("Só aviso", false));
    EXPECT_EQ(MessageLog(services),
              (std::vector<std::string>{"Error:Filial não cadastrada", "Error:Só aviso"}));
}

TEST(Consiste, CheckResultServReturnsThePayloadOfASuccessfulCall) {
    ScriptedServices services;
    TConsiste consiste(services);
    const vcl::Variant payload(vcl::VariantArray{vcl::Variant("notas"), vcl::Variant("itens")});
    EXPECT_EQ(consiste.CheckResultServ(vcl::Variant(vcl::VariantArray{vcl::Variant(""), payload}), true, 0),
              payload);
    EXPECT_EQ(consiste.CheckResultServ(vcl::Variant(vcl::VariantArray{vcl::Variant::Null(), payload})),
              payload);
    EXPECT_TRUE(services.Events().empty());
}

TEST(Consiste, CheckResultServReportsAFailedCallAndAborts) {
    struct Case {
        const char* name;
        vcl::Variant result;
        const char* message;
    };
    const Case cases[] = {
        {"the server's error text",
         vcl::Variant(vcl::VariantArray{vcl::Variant("Filial inexistente"), vcl::Variant(1)}),
         "Filial inexistente"},
        {"not an array", vcl::Variant("OK"), "Resposta inválida do servidor"},
        {"Null", vcl::Variant::Null(), "Resposta inválida do servidor"},
        {"an array of three",
         vcl::Variant(vcl::VariantArray{vcl::Variant(""), vcl::Variant(1), vcl::Variant(2)}),
         "Resposta inválida do servidor"},
        {"a status that is not text", vcl::Variant(vcl::VariantArray{vcl::Variant(5), vcl::Variant(1)}),
         "Resposta inválida do servidor"},
    };
    for (const Case& c : cases) {
        ScriptedServices services;
        TConsiste consiste(services);
        EXPECT_THROW(consiste.CheckResultServ(c.result, true, 0), vcl::EAbort) << c.name;
        EXPECT_EQ(MessageLog(services), std::vector<std::string>{std::string("Error:") + c.message})
            << c.name;
    }
}

TEST(Consiste, CheckResultServWithoutAbortReportsAndReturnsNull) {
    ScriptedServices services;
    TConsiste consiste(services);
    const auto answer = consiste.CheckResultServ(
        vcl::Variant(vcl::VariantArray{vcl::Variant("Falhou"), vcl::Variant(1)}), false);
    EXPECT_TRUE(answer.IsNull());
    EXPECT_EQ(MessageLog(services), std::vector<std::string>{"Error:Falhou"});
}

}  // namespace
}  // namespace vlm
