// The focus walk: exits up, enters down, nested moves and exceptions from
// handlers, tab order. Events are recorded as one trace string.
#include <gtest/gtest.h>

#include "vcl/forms.h"

namespace vcl {
namespace {

class FocusWalk : public ::testing::Test {
protected:
    FocusWalk() {
        panFiltro.SetParent(&form);
        panFiltro.TabOrder = 1;
        medFilial.SetParent(&panFiltro);
        medFilial.TabOrder = 1;
        medFornecedor.SetParent(&panFiltro);
        medFornecedor.TabOrder = 2;
        edtNmFilial.SetParent(&panFiltro);
        edtNmFilial.TabOrder = 0;
        edtNmFilial.Enabled = false;  // a name display: never focused
        panNotaFiscal.SetParent(&form);
        panNotaFiscal.TabOrder = 2;
        dbgNotaFiscal.SetParent(&panNotaFiscal);
        panProdutos.SetParent(&form);
        panProdutos.TabOrder = 0;
        dbgItensNota.SetParent(&panProdutos);
        const std::initializer_list<TWinControl*> traced = {&panFiltro,     &medFilial,     &medFornecedor,
                                                            &panNotaFiscal, &dbgNotaFiscal, &panProdutos,
                                                            &dbgItensNota};
        for (TWinControl* c : traced) {
            c->OnEnter = [this, c](TObject*) { Record(c->Name() + ".Enter"); };
            c->OnExit = [this, c](TObject*) { Record(c->Name() + ".Exit"); };
        }
    }

    void Record(const std::string& event) { trace += event + ";"; }
    std::string Take() {
        std::string out = trace;
        if (!out.empty()) {
            out.pop_back();
        }
        trace.clear();
        return out;
    }
    std::string Active() const { return form.ActiveControl() ? form.ActiveControl()->Name() : "form"; }

    std::string trace;
    TForm form{nullptr, "frmRemessaAnalise"};
    TPanel& panFiltro = form.Make<TPanel>("panFiltro");
    TMaskEdit& medFilial = form.Make<TMaskEdit>("medFilial");
    TMaskEdit& medFornecedor = form.Make<TMaskEdit>("medFornecedor");
    TEdit& edtNmFilial = form.Make<TEdit>("edtNmFilial");
    TPanel& panNotaFiscal = form.Make<TPanel>("panNotaFiscal");
    TEdit& dbgNotaFiscal = form.Make<TEdit>("dbgNotaFiscal");
    TPanel& panProdutos = form.Make<TPanel>("panProdutos");
    TEdit& dbgItensNota = form.Make<TEdit>("dbgItensNota");
};

TEST_F(FocusWalk, ExitsWalkUpToTheCommonContainerThenEntersWalkDown) {
    form.FocusControl(&medFilial);
    EXPECT_EQ(Take(), "panFiltro.Enter;medFilial.Enter");

    form.FocusControl(&dbgNotaFiscal);
    EXPECT_EQ(Take(), "medFilial.Exit;panFiltro.Exit;panNotaFiscal.Enter;dbgNotaFiscal.Enter");
    EXPECT_EQ(Active(), "dbgNotaFiscal");
    EXPECT_TRUE(dbgNotaFiscal.Focused());

    form.FocusControl(&medFornecedor);
    form.FocusControl(&medFilial);  // a sibling: only the two edits run
    EXPECT_EQ(Take(),
              "dbgNotaFiscal.Exit;panNotaFiscal.Exit;panFiltro.Enter;medFornecedor.Enter;"
              "medFornecedor.Exit;medFilial.Enter");

    form.FocusControl(&medFilial);  // already there: nothing runs
    EXPECT_EQ(Take(), "");
}

TEST_F(FocusWalk, PointerStaysOnAControlWhileItsExitRunsAndMovesToItsParentAfter) {
    form.FocusControl(&medFilial);
    Take();
    medFilial.OnExit = [this](TObject*) { Record("medFilial.Exit@" + Active()); };
    panFiltro.OnExit = [this](TObject*) { Record("panFiltro.Exit@" + Active()); };
    panNotaFiscal.OnEnter = [this](TObject*) { Record("panNotaFiscal.Enter@" + Active()); };
    form.FocusControl(&dbgNotaFiscal);
    EXPECT_EQ(Take(),
              "medFilial.Exit@medFilial;panFiltro.Exit@panFiltro;panNotaFiscal.Enter@panNotaFiscal;"
              "dbgNotaFiscal.Enter");
}

TEST_F(FocusWalk, MoveFromAPanelExitIntoThatPanelEntersOnlyTheFieldAndEndsTheOuterMove) {
    form.FocusControl(&medFilial);
    Take();
    panFiltro.OnExit = [this](TObject*) {
        Record("panFiltro.Exit");
        medFornecedor.SetFocus();
    };
    form.FocusControl(&dbgNotaFiscal);
    EXPECT_EQ(Take(), "medFilial.Exit;panFiltro.Exit;medFornecedor.Enter");
    EXPECT_EQ(Active(), "medFornecedor");
}

TEST_F(FocusWalk, MoveFromAnEnterHandlerEndsTheOuterMove) {
    form.FocusControl(&medFilial);
    Take();
    panNotaFiscal.OnEnter = [this](TObject*) {
        Record("panNotaFiscal.Enter");
        medFornecedor.SetFocus();
    };
    form.FocusControl(&dbgNotaFiscal);
    EXPECT_EQ(Take(),
              "medFilial.Exit;panFiltro.Exit;panNotaFiscal.Enter;panNotaFiscal.Exit;panFiltro.Enter;"
              "medFornecedor.Enter");
    EXPECT_EQ(Active(), "medFornecedor");
}

TEST_F(FocusWalk, MoveToTheRunningMovesTargetDoesNothingAndTheMoveGoesOn) {
    form.FocusControl(&medFilial);
    Take();
    panFiltro.OnExit = [this](TObject*) {
        Record("panFiltro.Exit");
        dbgNotaFiscal.SetFocus();
    };
    form.FocusControl(&dbgNotaFiscal);
    EXPECT_EQ(Take(), "medFilial.Exit;panFiltro.Exit;panNotaFiscal.Enter;dbgNotaFiscal.Enter");
    EXPECT_EQ(Active(), "dbgNotaFiscal");
}

TEST_F(FocusWalk, FieldCheckThatRefocusesAndAbortsKeepsTheFocusOnTheField) {
    form.FocusControl(&medFilial);
    Take();
    medFilial.OnExit = [this](TObject*) {
        Record("medFilial.Exit");
        medFilial.SetFocus();
        Abort();
    };
    EXPECT_THROW(form.FocusControl(&dbgNotaFiscal), EAbort);
    EXPECT_EQ(Take(), "medFilial.Exit");
    EXPECT_EQ(Active(), "medFilial");

    // The next move runs normally again.
    medFilial.OnExit = nullptr;
    form.FocusControl(&dbgNotaFiscal);
    EXPECT_EQ(Take(), "panFiltro.Exit;panNotaFiscal.Enter;dbgNotaFiscal.Enter");
}

TEST_F(FocusWalk, ExceptionFromAPanelExitLeavesThePointerWhereTheHandlersLeftIt) {
    form.FocusControl(&medFilial);
    Take();
    panFiltro.OnExit = [this](TObject*) {
        Record("panFiltro.Exit");
        throw Exception("Filial deve ser informada");
    };
    EXPECT_THROW(form.FocusControl(&dbgNotaFiscal), Exception);
    EXPECT_EQ(Take(), "medFilial.Exit;panFiltro.Exit");
    EXPECT_EQ(Active(), "panFiltro");

    // The next move starts from where the pointer stands.
    panFiltro.OnExit = [this](TObject*) { Record("panFiltro.Exit"); };
    form.FocusControl(&dbgItensNota);
    EXPECT_EQ(Take(), "panFiltro.Exit;panProdutos.Enter;dbgItensNota.Enter");
}

TEST_F(FocusWalk, ControlsThatCannotTakeTheFocusAreRefusedWithoutRunningEvents) {
    form.FocusControl(&medFilial);
    Take();
    TEdit stranger(nullptr, "stranger");
    panNotaFiscal.Visible = false;
    EXPECT_THROW(form.FocusControl(&dbgNotaFiscal), EInvalidOperation);  // inside a hidden panel
    EXPECT_THROW(form.FocusControl(&edtNmFilial), EInvalidOperation);    // disabled
    EXPECT_THROW(form.FocusControl(&stranger), EInvalidOperation);       // not on the form
    EXPECT_EQ(Take(), "");
    EXPECT_EQ(Active(), "medFilial");
}

TEST_F(FocusWalk, TabFollowsNestedTabOrdersSkippingWhatCannotTakeTheFocus) {
    // Tab orders: panProdutos 0, panFiltro 1 (edtNmFilial 0 disabled, medFilial 1, medFornecedor 2),
    // panNotaFiscal 2. Panels are not tab stops.
    std::vector<std::string> visited;
    form.FocusControl(&medFilial);
    for (int i = 0; i < 5; ++i) {
        form.SelectNext(true);
        visited.push_back(Active());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"medFornecedor", "dbgNotaFiscal", "dbgItensNota",
                                                 "medFilial", "medFornecedor"}));
    form.SelectNext(false);
    EXPECT_EQ(Active(), "medFilial");

    int tab = vk::Tab;
    form.KeyDown(tab, shift::Shift);  // Shift+Tab through the form's keyboard
    EXPECT_EQ(Active(), "dbgItensNota");
    EXPECT_EQ(tab, 0);

    medFornecedor.Visible = false;
    EXPECT_EQ(form.FindNextControl(&medFilial), &dbgNotaFiscal);
}

TEST_F(FocusWalk, FreeingAContainerOfTheFocusedControlLeavesNoDanglingFocus) {
    {
        TPanel scratch(nullptr, "scratch");
        scratch.SetParent(&form);
        auto& inner = scratch.Make<TEdit>("edtInner");
        inner.SetParent(&scratch);
        form.FocusControl(&inner);
        EXPECT_EQ(form.ActiveControl(), &inner);
    }
    EXPECT_EQ(form.ActiveControl(), nullptr);
    form.FocusControl(&medFilial);
    EXPECT_EQ(Active(), "medFilial");
}

}  // namespace
}  // namespace vcl
