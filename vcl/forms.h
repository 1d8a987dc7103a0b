// Forms, the focus walk, the screen cursor and the application object.
//
// A focus move runs the exits walking up from the focused control (the
// control, then its parents up to the first one that contains the new
// control); the focused pointer stays on a control while its exit runs and
// moves to its parent when the exit returns; then the enters walk down to the
// new control. A move made by a handler during the walk starts from where the
// pointer stands and ends the outer move; an exception from a handler ends the
// outer move too and passes on. A move to the control that a running move is
// heading for does nothing and the running move goes on.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/controls.h"
#include "vcl/exceptions.h"

namespace vcl {

// An operation that the component's state does not allow (e.g. focusing a
// hidden or disabled control).
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// Modal results.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2;

enum class TCloseAction { None, Hide, Free, Minimize };
enum class TFormStyle { Normal, MDIChild, MDIForm, StayOnTop };
enum class TBorderStyle { Sizeable, Dialog, Single, None };
using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

class TApplication;

class TForm : public TWinControl {
public:
    TForm(TComponent* owner, std::string name);
    ~TForm() override;

    std::string Caption;
    TFormStyle FormStyle = TFormStyle::Normal;
    TBorderStyle BorderStyle = TBorderStyle::Sizeable;
    int ClientWidth = 0, ClientHeight = 0;  // 0: from Width/Height
    int PixelsPerInch = 96;
    int TextHeight = 13;

    // The focused control (nullptr: the form itself).
    TWinControl* ActiveControl() const { return active_; }
    // Moves the focus as described above. Raises EInvalidOperation (an
    // Exception) when the control cannot take the focus.
    void FocusControl(TWinControl* control);
    // The next control in tab order after the active one (wrapping), by the
    // nested tab orders of the containers; nullptr when none can take focus.
    TWinControl* FindNextControl(TWinControl* from, bool forward = true) const;
    void SelectNext(bool forward = true);  // Tab / Shift+Tab

    bool Visible() const { return shown_; }
    bool Modal() const { return modal_; }
    // Makes the form visible; runs OnShow, then focuses the first control in
    // tab order when nothing has the focus yet, then OnActivate.
    void Show();
    // Shows the form and runs the application's modal loop until it closes.
    int ShowModal();
    // Runs OnClose with the action (Hide by default; Free for MDI children is
    // the base forms' choice); hides the form; Free asks the application to
    // release it after the running event.
    void Close();
    int ModalResult = 0;
    bool Closing() const { return closing_; }

    TNotifyEvent OnCreate, OnShow, OnActivate, OnDestroy;
    TCloseEvent OnClose;

    // Runs OnCreate (called by TApplication::CreateForm after the make-up).
    void DoCreate();
    // Keyboard input to the focused control; an unhandled Tab moves the focus.
    void KeyDown(int& key, unsigned shift) override;
    void KeyPress(char& key) override;

    TRect ClientRect() const override;  // ClientWidth/ClientHeight when set
    // Order in which forms were last shown (0: never).
    unsigned long ShowOrder() const { return showOrder_; }

private:
    friend class TWinControl;
    // A container is going away: the focus must not point into it any more.
    void ForgetControl(const TWinControl* gone);
    TApplication* Application() const;

    TWinControl* active_ = nullptr;
    TWinControl* target_ = nullptr;  // where the running move is heading
    int moveDepth_ = 0;
    unsigned long moveSerial_ = 0;  // counts moves; a nested move changes it
    unsigned long showOrder_ = 0;
    bool shown_ = false;
    bool modal_ = false;
    bool closing_ = false;
};

// The screen: cursor and the forms open now.
class TScreen {
public:
    int Cursor = 0;  // 0 default, -11 hourglass
    TForm* ActiveForm = nullptr;
};

// Services of the host that the dispatcher and modal loops need.
class THostLoop {
public:
    virtual ~THostLoop() = default;
    // Shows an error message (the host's error dialog).
    virtual void ShowError(const std::string& message) = 0;
    // Runs until form.Visible() is false.
    virtual void RunModal(TForm& form) = 0;
};

// What the user reads for an error that is not one of the framework's own
// (vcl::Exception); the detail goes to the log (standard error).
inline constexpr const char* kUnexpectedError =
    "Ocorreu um erro inesperado. Os detalhes foram registrados no log.";

// The application object: owns the forms it creates, runs every user event
// through one dispatcher that swallows EAbort and reports any other
// exception through the host's error dialog.
class TApplication : public TComponent {
public:
    explicit TApplication(TScreen& screen);
    ~TApplication() override;

    TScreen& Screen() const { return screen_; }
    void SetHostLoop(THostLoop* loop) { loop_ = loop; }
    THostLoop* HostLoop() const { return loop_; }

    // Creates a form owned by the application, builds it and runs OnCreate.
    // The application keeps its forms apart from other owned components, so
    // that a form can be released on its own.
    template <class T, class... Args>
    T& CreateForm(std::string name, Args&&... args) {
        auto made = std::make_unique<T>(this, std::move(name), std::forward<Args>(args)...);
        T& form = *made;
        forms_.push_back(std::move(made));
        form.DoCreate();
        return form;
    }
    // Runs the form's OnDestroy and frees it (pointers to it become invalid).
    // Inside a dispatched event the release waits until the outermost event ends.
    void ReleaseForm(TForm& form);
    // Forms created by the application and not released (a form waiting for
    // its release is no longer listed), in order of creation.
    std::vector<TForm*> Forms() const;
    TForm* FindForm(std::string_view name) const;

    // Runs one user event. Returns true when it completed, false when it
    // ended by an abort or a reported error.
    bool Dispatch(const std::function<void()>& event);
    void HandleException(std::exception_ptr error);

    // Forms shown now, in order of showing.
    std::vector<TForm*> OpenForms() const;
    // Next number in the order of showing (used by TForm::Show).
    unsigned long NextShowOrder() { return ++showCounter_; }

private:
    void FreeForm(TForm& form);
    bool Releasing(const TForm* form) const;
    void ReleasePending();

    TScreen& screen_;
    THostLoop* loop_ = nullptr;
    std::vector<std::unique_ptr<TForm>> forms_;
    std::vector<TForm*> pendingRelease_;
    int dispatchDepth_ = 0;
    unsigned long showCounter_ = 0;
};

}  // namespace vcl
