#include "vlm/pesquisa.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "vcl/dataset.h"
#include "vcl/exceptions.h"
#include "vcl/forms.h"
#include "vlm/dbinfo.h"
#include "vlm/showavi.h"

namespace vlm {
namespace {

using testing::MessageLog;
using testing::Str;

class PesquisaTest : public ::testing::Test {
protected:
    ScriptedServices services;
    TPesquisa pesquisa{services};
    vcl::TClientDataSet suppliers{nullptr, "qryFornecedor"};
    vcl::TDataSource source{nullptr, "dtsFornecedor"};

    void SetUp() override {
        source.SetDataSet(&suppliers);
        testing::Load(suppliers,
                      {Str("CDFORNECED", 21), Str("IDTPIJURFORN", 1), Str("NRINSJURFORN", 20),
                       Str("NMRAZSOCFORN", 100)},
                      {{"100", "F", "11122233344", "Ana"}, {"200", "J", "11222333000144", "Beta Ltda"}});
        suppliers.FieldByName("CDFORNECED").Visible = false;
        suppliers.FieldByName("IDTPIJURFORN").Visible = false;
        suppliers.FieldByName("NRINSJURFORN").DisplayLabel = "Inscrição";
        suppliers.FieldByName("NMRAZSOCFORN").DisplayLabel = "Nome";
        suppliers.FieldByName("NRINSJURFORN").OnGetText = [this](vcl::TField* field, std::string& text,
                                                                 bool) {
            text = suppliers.FieldByName("IDTPIJURFORN").AsString() + "-" + field->AsString();
        };
    }
};

TEST_F(PesquisaTest, ListsTheVisibleFieldsUnderTheirLabelsThroughGetText) {
    services.PushPick(std::nullopt);
    EXPECT_FALSE(pesquisa.Pesquisar(&source, "Fornecedor|Não há fornecedor cadastrado", false, true));
    const auto* list = services.LastPickList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->text, "Fornecedor");
    EXPECT_EQ(list->table.columns, (std::vector<std::string>{"Inscrição", "Nome"}));
    EXPECT_EQ(list->table.rows, (std::vector<std::vector<std::string>>{{"F-11122233344", "Ana"},
                                                                       {"J-11222333000144", "Beta Ltda"}}));
}

TEST_F(PesquisaTest, APickMovesTheDatasetToThePickedRow) {
    services.PushPick(1);
    EXPECT_TRUE(pesquisa.Pesquisar(&source, "Fornecedor|vazio", false, true));
    EXPECT_EQ(suppliers.FieldByName("CDFORNECED").AsString(), "200");
}

TEST_F(PesquisaTest, ClosingWithoutAPickLeavesTheDatasetWhereItStood) {
    suppliers.Last();
    services.PushPick(std::nullopt);
    EXPECT_FALSE(pesquisa.Pesquisar(&source, "Fornecedor|vazio", false, true));
    EXPECT_EQ(suppliers.RecNo(), 2);
    EXPECT_TRUE(services.Messages().empty());
}

TEST_F(PesquisaTest, AnEmptyOrClosedSourceShowsTheMessageAfterTheBar) {
    suppliers.EmptyDataSet();
    EXPECT_FALSE(pesquisa.Pesquisar(&source, "Número da NF|Nenhuma nota", false, true));
    suppliers.Close();
    EXPECT_FALSE(pesquisa.Pesquisar(&source, "Número da NF|Nenhuma nota", false, false));
    EXPECT_FALSE(pesquisa.Pesquisar(nullptr, "Título", false, true));
    EXPECT_THROW(pesquisa.Pesquisar(&source, "T|Sem linhas", true, true), vcl::EAbort);
    EXPECT_EQ(MessageLog(services),
              (std::vector<std::string>{"Error:Nenhuma nota", "Information:Nenhuma nota",
                                        "Error:Nenhum registro encontrado", "Error:Sem linhas"}));
    EXPECT_EQ(services.LastPickList(), nullptr) << "no pick list over an empty source";
}

TEST_F(PesquisaTest, ShowDetailListsTheDatasetOrElseThePacket) {
    TDbinfo dbinfo(services);
    dbinfo.ShowDetail("Erros", "", &suppliers, suppliers.Data(), 0, nullptr);
    const vcl::Variant packet = suppliers.Data();
    suppliers.Close();
    dbinfo.ShowDetail("Erros", "sub", &suppliers, packet, 0, nullptr);
    ASSERT_EQ(services.Events().size(), 2u);
    const auto& fromDataSet = services.Events()[0];
    EXPECT_EQ(fromDataSet.kind, ScriptedServices::Kind::Detail);
    EXPECT_EQ(fromDataSet.text, "Erros");
    EXPECT_EQ(fromDataSet.table.columns, (std::vector<std::string>{"Inscrição", "Nome"}));
    EXPECT_EQ(fromDataSet.table.rows.size(), 2u);
    const auto& fromPacket = services.Events()[1];
    EXPECT_EQ(fromPacket.subtitle, "sub");
    EXPECT_EQ(fromPacket.table.columns.size(), 4u);
    EXPECT_EQ(fromPacket.table.rows[1][3], "Beta Ltda");
}

TEST(Showavi, DeactiveIsSafeWhenNothingIsShownAndRemovesWhatIs) {
    ScriptedServices services;
    vcl::TForm form(nullptr, "frmRemessaAnalise");
    {
        TShowavi showavi(services);
        showavi.DeactiveShowAvi();
        EXPECT_TRUE(services.Events().empty());
        showavi.ActiveShowAvi(&form, 6, "Buscando informações do servidor...");
        EXPECT_TRUE(services.Busy());
        showavi.DeactiveShowAvi();
        showavi.DeactiveShowAvi();
        EXPECT_FALSE(services.Busy());
        EXPECT_THROW(showavi.ActiveShowAvi(nullptr, 6, "x"), vcl::Exception);
        showavi.ActiveShowAvi(form, 6, "de novo");
    }
    EXPECT_FALSE(services.Busy()) << "an animation left shown goes with its owner";
    ASSERT_GE(services.Events().size(), 2u);
    EXPECT_EQ(services.Events()[0].kind, ScriptedServices::Kind::BusyOn);
    EXPECT_EQ(services.Events()[0].animation, 6);
    EXPECT_EQ(services.Events()[0].text, "Buscando informações do servidor...");
    EXPECT_EQ(services.Events()[1].kind, ScriptedServices::Kind::BusyOff);
    EXPECT_EQ(services.Events().size(), 4u);
}

// A show that fails half-way (the overlay is up, then something throws) is
// still taken down by the next Deactive.
TEST(Showavi, AShowThatFailsIsStillRemoved) {
    struct FailingShow : ScriptedServices {
        void ShowBusy(vcl::TForm& form, int animation, const std::string& text) override {
            ScriptedServices::ShowBusy(form, animation, text);
            throw vcl::Exception("falha ao mostrar");
        }
    } services;
    vcl::TForm form(nullptr, "frmGeracao");
    TShowavi showavi(services);
    EXPECT_THROW(showavi.ActiveShowAvi(form, 6, "x"), vcl::Exception);
    showavi.DeactiveShowAvi();
    EXPECT_FALSE(services.Busy());
}

}  // namespace
}  // namespace vlm
