// The application's dispatcher, forms' show/close/modal lifecycle.
#include <gtest/gtest.h>

#include "vcl/forms.h"

namespace vcl {
namespace {

class RecordingLoop : public THostLoop {
public:
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void RunModal(TForm& form) override {
        ++modalRuns;
        if (whileModal) {
            whileModal(form);
        }
    }
    std::vector<std::string> errors;
    int modalRuns = 0;
    std::function<void(TForm&)> whileModal;
};

class App : public ::testing::Test {
protected:
    App() { app.SetHostLoop(&loop); }
    TScreen screen;
    RecordingLoop loop;
    TApplication app{screen};
};

TEST_F(App, DispatchSwallowsTheSilentAbortAndReportsOtherErrors) {
    EXPECT_TRUE(app.Dispatch([] {}));
    EXPECT_FALSE(app.Dispatch([] { Abort(); }));
    EXPECT_TRUE(loop.errors.empty());

    // The framework's own errors are shown as they are; anything else says
    // only that something unexpected happened (the detail goes to the log).
    EXPECT_FALSE(app.Dispatch([] { throw EDatabaseError("cdsItens: campo 'QTENVIADA' não encontrado"); }));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(app.Dispatch([] { throw std::runtime_error("boom"); }));
    EXPECT_FALSE(app.Dispatch([] { throw 42; }));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("boom"), std::string::npos) << log;
    EXPECT_EQ(loop.errors, (std::vector<std::string>{"cdsItens: campo 'QTENVIADA' não encontrado",
                                                     kUnexpectedError, kUnexpectedError}));
}

TEST_F(App, WithoutAHostLoopErrorsGoToStandardError) {
    app.SetHostLoop(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(app.Dispatch([] { throw Exception("Filial não cadastrada"); }));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Filial não cadastrada\n");
}

TEST_F(App, CreateShowAndCloseRunTheFormEventsInOrder) {
    std::string trace;
    auto& form = app.CreateForm<TForm>("frmRemessaAnalise");
    auto& edit = form.Make<TEdit>("medFilial");
    edit.SetParent(&form);
    form.OnShow = [&](TObject*) { trace += "Show;"; };
    form.OnActivate = [&](TObject*) { trace += "Activate;"; };
    form.OnClose = [&](TObject*, TCloseAction& action) {
        trace += "Close;";
        EXPECT_EQ(action, TCloseAction::Hide);
    };
    edit.OnEnter = [&](TObject*) { trace += "medFilial.Enter;"; };
    EXPECT_EQ(app.FindForm("frmRemessaAnalise"), &form);

    form.Show();
    EXPECT_EQ(trace, "Show;medFilial.Enter;Activate;");
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(screen.ActiveForm, &form);
    EXPECT_EQ(app.OpenForms(), std::vector<TForm*>{&form});

    form.Close();
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(app.OpenForms().empty());
    EXPECT_EQ(app.FindForm("frmRemessaAnalise"), &form);  // hidden, not freed
    form.Show();                                          // shown again: OnShow runs again
    EXPECT_EQ(trace, "Show;medFilial.Enter;Activate;Close;Show;Activate;");
}

TEST_F(App, CloseActionsNoneKeepsTheFormAndFreeReleasesItAfterTheEvent) {
    int destroyed = 0;
    auto& form = app.CreateForm<TForm>("frmGeracao");
    form.OnDestroy = [&](TObject*) { ++destroyed; };
    TCloseAction chosen = TCloseAction::None;
    form.OnClose = [&](TObject*, TCloseAction& action) { action = chosen; };
    form.Show();
    form.Close();
    EXPECT_TRUE(form.Visible());

    chosen = TCloseAction::Free;
    TForm* successor = nullptr;
    app.Dispatch([&] {
        form.Close();
        EXPECT_EQ(destroyed, 0);  // still alive inside the event, but no longer listed
        EXPECT_EQ(app.FindForm("frmGeracao"), nullptr);
        successor = &app.CreateForm<TForm>("frmGeracao");
        EXPECT_EQ(app.FindForm("frmGeracao"), successor);
    });
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(app.Forms(), std::vector<TForm*>{successor});
}

TEST_F(App, ShowModalRunsTheHostLoopUntilTheFormClosesAndReturnsItsResult) {
    auto& dialog = app.CreateForm<TForm>("frmGeracao");
    loop.whileModal = [](TForm& form) {
        EXPECT_TRUE(form.Modal());
        form.ModalResult = mrOk;
        form.Close();
    };
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_FALSE(dialog.Modal());
    EXPECT_FALSE(dialog.Visible());

    loop.whileModal = [](TForm& form) { form.Close(); };  // closed without a result: cancel
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(loop.modalRuns, 2);

    app.SetHostLoop(nullptr);
    EXPECT_THROW(dialog.ShowModal(), EInvalidOperation);
    EXPECT_FALSE(dialog.Visible());
}

TEST_F(App, ReleasingAFormTheApplicationDoesNotOwnIsRefused) {
    TForm stray(nullptr, "stray");
    EXPECT_THROW(app.ReleaseForm(stray), EInvalidOperation);
}

}  // namespace
}  // namespace vcl
