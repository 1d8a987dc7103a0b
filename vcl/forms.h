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
#include <vector>

#include "vcl/controls.h"

namespace vcl {

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
    // Keyboard input to the focused control.
    void KeyDown(int& key, unsigned shift) override;
    void KeyPress(char& key) override;

private:
    TWinControl* active_ = nullptr;
    TWinControl* target_ = nullptr;  // where the running move is heading
    int moveDepth_ = 0;
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
    template <class T, class... Args>
    T& CreateForm(std::string name, Args&&... args) {
        T& form = Make<T>(std::move(name), std::forward<Args>(args)...);
        form.DoCreate();
        return form;
    }
    // Frees a form the application owns (pointers to it become invalid).
    void ReleaseForm(TForm& form);

    // Runs one user event. Returns true when it completed, false when it
    // ended by an abort or a reported error.
    bool Dispatch(const std::function<void()>& event);
    void HandleException(std::exception_ptr error);

    // Forms shown now, in order of showing.
    std::vector<TForm*> OpenForms() const;

private:
    TScreen& screen_;
    THostLoop* loop_ = nullptr;
};

}  // namespace vcl
