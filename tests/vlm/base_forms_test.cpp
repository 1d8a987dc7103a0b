#include <gtest/gtest.h>

#include "vcl/forms.h"
#include "vlm/db_geral.h"
#include "vlm/filtro_padrao.h"
#include "vlm/roti_geral.h"
#include "vlm/scripted_services.h"

namespace vlm {
namespace {

// A screen as the module writes one: its own FormCreate calls the base's first.
class TfrmTela : public TfrmFiltroPadrao {
public:
    using TfrmFiltroPadrao::TfrmFiltroPadrao;
    std::string trace;
    void FormCreate(vcl::TObject* sender) override {
        TfrmFiltroPadrao::FormCreate(sender);
        trace += "FormCreate;";
    }
};

class BaseFormsTest : public ::testing::Test {
protected:
    vcl::TScreen screen;
    vcl::TApplication application{screen};
    ScriptedServices services;
    TdtmDBGeral database;
    THost host{application, services, THostConfig{"10.0.0.5", 8211, "0007", "!99.99.999;0; "}, database};
};

TEST_F(BaseFormsTest, TheScreenBaseCarriesItsComponentsInPlace) {
    auto& form = application.CreateForm<TfrmTela>("frmTela", host);
    EXPECT_EQ(form.trace, "FormCreate;") << "OnCreate reaches the derived FormCreate";
    EXPECT_EQ(form.FormStyle, vcl::TFormStyle::MDIChild);
    EXPECT_EQ(form.sbtCancel->Parent(), form.panBotoes);
    EXPECT_EQ(form.sbtConfirma->Parent(), form.panBotoes);
    EXPECT_EQ(form.panBotoes->Parent(), form.panMenu);
    EXPECT_EQ(form.btfSaveOpc->Parent(), form.panMenu);
    EXPECT_EQ(form.btfLoadOpc->Parent(), form.panBotao);
    EXPECT_EQ(form.grbFiltroPadrao->Parent(), &form);
    EXPECT_EQ(form.FindComponent("msgPadrao"), form.msgPadrao);
    EXPECT_EQ(form.FindComponent("cdsCarregaOpcoes"), form.cdsCarregaOpcoes);
    EXPECT_NE(form.ppmOpcoes, nullptr);
    EXPECT_NE(form.PopupMenu1, nullptr);
    EXPECT_EQ(form.Valmora.WebURL(), "10.0.0.5");
    EXPECT_EQ(form.Valmora.WebPort(), 8211);
    EXPECT_EQ(form.Valmora.FiliProc(), "0007");
    EXPECT_EQ(form.Valmora.DBPict(0), "!99.99.999;0; ");
    EXPECT_EQ(form.Valmora.DBPict(1), "");
}

TEST_F(BaseFormsTest, ClosingTheScreenReleasesItAndTellsOnDestroy) {
    auto& form = application.CreateForm<TfrmTela>("frmTela", host);
    bool destroyed = false;
    form.OnDestroy = [&](vcl::TObject*) { destroyed = true; };
    form.Show();
    form.Showavi.ActiveShowAvi(form, 6, "x");
    application.Dispatch([&] { form.sbtCancel->Click(); });
    EXPECT_TRUE(destroyed);
    EXPECT_TRUE(application.OpenForms().empty());
    EXPECT_FALSE(services.Busy()) << "closing removes a busy animation left over";
}

TEST_F(BaseFormsTest, TheDialogBaseCarriesItsComponents) {
    auto& dialog = application.CreateForm<TfrmRotiGeral>("frmDialogo", host);
    EXPECT_EQ(dialog.BorderStyle, vcl::TBorderStyle::Dialog);
    EXPECT_EQ(dialog.sbtHelp->Parent(), dialog.panHelp);
    EXPECT_EQ(dialog.panHelp->Parent(), dialog.panMenu);
    EXPECT_EQ(dialog.sbtConfirma->Parent(), dialog.panBotoes);
    EXPECT_EQ(dialog.grbDadosRel->Parent(), &dialog);
    dialog.msgPadrao->Messages = {"Erros_Geracao|Alguns erros"};
    EXPECT_EQ(dialog.msgPadrao->Msg("Erros_Geracao"), "Alguns erros");
}

}  // namespace
}  // namespace vlm
