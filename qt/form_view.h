// A Qt view of one headless form: a widget per control at the control's
// bounds, re-rendered from the component tree after every dispatched event.
// The view decides nothing: user input is forwarded to the headless form
// through an ActionSink, which runs it in the application's dispatcher.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "vcl/forms.h"

class QKeyEvent;

namespace zrmqt {

// Runs a user action inside the application's dispatcher, then re-renders.
class ActionSink {
public:
    virtual ~ActionSink() = default;
    virtual bool Act(const std::function<void()>& action) = 0;
    // Runs form code inside the dispatcher without re-rendering (painting
    // calls it: a failure is reported as any other, and nothing repaints).
    virtual bool Run(const std::function<void()>& action) = 0;
    // Whether the form still exists (an action may have freed it).
    virtual bool Alive(const vcl::TForm& form) const = 0;
};

// A virtual key with its shift state and the characters it types.
struct KeyStroke {
    int key = 0;
    unsigned shift = 0;
    std::string chars;  // UTF-8 bytes sent as key presses; empty for none
};
// nullopt for keys the headless controls do not know (bare modifiers...).
std::optional<KeyStroke> TranslateKey(const QKeyEvent& event);
// Key-down to the form (which routes it to the focused control and moves the
// focus on an unhandled Tab), then a key press per character.
void ForwardKey(ActionSink& sink, vcl::TForm& form, const KeyStroke& stroke);

// The part of a control widget that knows its headless control.
class ControlBinding {
public:
    explicit ControlBinding(vcl::TControl& control) : control_(control) {}
    virtual ~ControlBinding() = default;
    ControlBinding(const ControlBinding&) = delete;
    ControlBinding& operator=(const ControlBinding&) = delete;

    vcl::TControl& Control() const { return control_; }
    virtual QWidget* Widget() = 0;
    // Copies the control's state (texts, colours...) into the widget.
    virtual void Sync() = 0;
    // Where the widget goes, given the control's bounds (an auto-sized
    // control may measure itself).
    virtual QRect Placed(const QRect& bounds) const { return bounds; }

private:
    vcl::TControl& control_;
};

class FormView : public QWidget {
    Q_OBJECT
public:
    FormView(vcl::TForm& form, ActionSink& sink, QWidget* parent = nullptr);
    ~FormView() override;

    vcl::TForm& Form() const { return form_; }
    ActionSink& Sink() const { return sink_; }
    // The controls the view was built from, in building order; a different
    // list now means the form is not the one the view shows any more.
    const std::vector<const vcl::TControl*>& Built() const { return built_; }
    std::vector<const vcl::TControl*> CurrentControls() const;

    // Re-renders every control and gives Qt's focus to the widget of the
    // form's active control.
    void Sync();
    // The widget showing the control with this name; nullptr when none.
    QWidget* WidgetOf(const std::string& name) const;
    QWidget* WidgetOf(const vcl::TControl* control) const;
    // True while the view moves Qt's focus itself (no event goes back).
    bool Syncing() const { return syncing_; }
    // The form's client size.
    QSize sizeHint() const override;

protected:
    bool focusNextPrevChild(bool next) override;
    // The user resized the window: the form takes the new size and realigns.
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Build(vcl::TWinControl& container, QWidget* parent);
    ControlBinding* MakeBinding(vcl::TControl& control, QWidget* parent);

    vcl::TForm& form_;
    ActionSink& sink_;
    std::vector<ControlBinding*> bindings_;  // widgets are owned by their Qt parents
    std::vector<const vcl::TControl*> built_;
    bool syncing_ = false;
};

// The view a widget belongs to (its closest FormView ancestor).
FormView* ViewOf(const QWidget* widget);

}  // namespace zrmqt
