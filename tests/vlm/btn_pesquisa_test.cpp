#include "vlm/btn_pesquisa.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "vcl/dataset.h"
#include "vcl/forms.h"

namespace vlm {
namespace {

using testing::MessageLog;
using testing::Str;

// A form with the code edit focused, its search button and a branch lookup.
class BtnPesquisaTest : public ::testing::Test {
protected:
    ScriptedServices services;
    vcl::TForm form{nullptr, "frmTeste"};
    vcl::TMaskEdit& medFilial = form.Make<vcl::TMaskEdit>("medFilial");
    vcl::TEdit& edtOutro = form.Make<vcl::TEdit>("edtOutro");
    TBtnPesquisa& btpFilial = form.Make<TBtnPesquisa>("btpFilial", services);
    vcl::TClientDataSet& qryFilial = form.Make<vcl::TClientDataSet>("qryFilial");
    vcl::TDataSource& dtsFilial = form.Make<vcl::TDataSource>("dtsFilial");
    std::string trace;

    void SetUp() override {
        for (vcl::TControl* control :
             std::initializer_list<vcl::TControl*>{&medFilial, &edtOutro, &btpFilial}) {
            control->SetParent(&form);
        }
        medFilial.TabOrder = 0;
        edtOutro.TabOrder = 1;
        form.Show();
        dtsFilial.SetDataSet(&qryFilial);
        testing::Load(qryFilial, {Str("CDFILIAL", 4), Str("NMFILIAL", 100)},
                      {{"0001", "Matriz"}, {"0002", "Filial Sul"}});
        btpFilial.Associate = &medFilial;
        btpFilial.Title = "Filial";
        btpFilial.DataSource = &dtsFilial;
        btpFilial.EmptyError = "Não há filial cadastrada";
        btpFilial.OnBeforePesq = [this](vcl::TObject* sender, bool&) {
            trace += sender == &btpFilial ? "Before;" : "Before(?);";
        };
        btpFilial.OnAfterPesq = [this](vcl::TObject*) {
            trace += "After:" + qryFilial.FieldByName("CDFILIAL").AsString() + ";";
        };
        medFilial.OnExit = [this](vcl::TObject*) { trace += "medFilial.Exit;"; };
    }
};

TEST_F(BtnPesquisaTest, ClickRunsBeforePickListAfterInOrderAndKeepsTheFocus) {
    ASSERT_EQ(form.ActiveControl(), &medFilial);
    services.PushPick(1);
    btpFilial.Click();
    EXPECT_EQ(trace, "Before;After:0002;");
    ASSERT_NE(services.LastPickList(), nullptr);
    EXPECT_EQ(services.LastPickList()->text, "Filial");
    EXPECT_EQ(form.ActiveControl(), &medFilial);
}

TEST_F(BtnPesquisaTest, NoPickMeansNoAfterEvent) {
    services.PushPick(std::nullopt);
    btpFilial.Click();
    EXPECT_EQ(trace, "Before;");
}

TEST_F(BtnPesquisaTest, AnEmptySourceShowsTheEmptyErrorAndStops) {
    // The before-event fills the lookup; here it leaves it empty.
    btpFilial.OnBeforePesq = [this](vcl::TObject*, bool&) {
        qryFilial.EmptyDataSet();
        trace += "Before;";
    };
    btpFilial.Click();
    EXPECT_EQ(trace, "Before;");
    EXPECT_EQ(MessageLog(services), std::vector<std::string>{"Error:Não há filial cadastrada"});
    EXPECT_EQ(services.LastPickList(), nullptr);
}

TEST_F(BtnPesquisaTest, OnClickReplacesTheBuiltInSearch) {
    btpFilial.OnClick = [this](vcl::TObject*) { trace += "Click;"; };
    services.PushPick(0);
    btpFilial.Click();
    EXPECT_EQ(trace, "Click;");
    EXPECT_EQ(services.LastPickList(), nullptr);
}

TEST_F(BtnPesquisaTest, ABeforeHandlerCanCancelAndADisabledButtonDoesNothing) {
    btpFilial.OnBeforePesq = [this](vcl::TObject*, bool& search) {
        trace += "Before;";
        search = false;
    };
    btpFilial.Click();
    btpFilial.Enabled = false;
    btpFilial.Click();
    EXPECT_EQ(trace, "Before;");
    EXPECT_EQ(services.LastPickList(), nullptr);
}

}  // namespace
}  // namespace vlm
