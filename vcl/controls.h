// Headless controls: the component tree that a front end renders.
// Layout properties are plain members; anything with an effect (text that
// fires a change event, focus, clicks) goes through methods.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vcl/component.h"
#include "vcl/graphics.h"

namespace vcl {

class TWinControl;
class TForm;

enum class TAlign { None, Top, Bottom, Left, Right, Client };
enum class TCursor : int { Default = 0, HourGlass = -11, VSplit = -15 };

class TControl : public TComponent {
public:
    TControl(TComponent* owner, std::string name);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);
    // The form that contains this control (itself for a form); nullptr when unparented.
    TForm* ParentForm() const;

    int Left = 0, Top = 0, Width = 0, Height = 0;
    void SetBounds(int left, int top, int width, int height);
    TAlign Align = TAlign::None;
    bool Visible = true;
    bool Enabled = true;
    TColor Color = clBtnFace;
    bool ParentColor = false;
    TFont Font;
    std::string Hint;
    bool ShowHint = false;
    // The text a front end shows as the control's tooltip.
    virtual std::string ShownHint() const { return Hint; }
    TCursor Cursor = TCursor::Default;

    // Visible and enabled, with every parent visible and enabled.
    bool IsShowing() const;
    bool IsEnabledInTree() const;
    // Bounds after alignment, in the parent's client coordinates.
    TRect BoundsRect() const;

private:
    friend class TWinControl;  // a dying container unparents its children
    TWinControl* parent_ = nullptr;
};

// A control that can hold children and take the focus.
class TWinControl : public TControl {
public:
    TWinControl(TComponent* owner, std::string name);
    ~TWinControl() override;

    const std::vector<TControl*>& Controls() const { return children_; }
    bool Contains(const TControl* control) const;  // itself or a descendant

    int TabOrder = -1;
    bool TabStop = false;

    virtual bool CanFocus() const;  // showing, enabled, and a focusable kind
    bool Focused() const;           // the form's active control is this one
    // Asks the form to move the focus here (exit and enter events run).
    void SetFocus();

    TNotifyEvent OnEnter, OnExit;

    // Keyboard input routed by the form to the focused control.
    // key: virtual key code; shift: the TShift bits below. Returns after the
    // control's own handling.
    virtual void KeyDown(int& key, unsigned shift);
    virtual void KeyPress(char& key);

    // Realigns children (Top/Bottom/Left/Right/Client) inside the client area.
    void Realign();
    virtual TRect ClientRect() const;

private:
    friend class TControl;
    // Where an aligned child goes inside the client area (its own bounds when not aligned).
    TRect LayoutChild(const TControl& child) const;
    std::vector<TControl*> children_;
};

// Shift-state bits and the virtual keys the module uses.
namespace shift {
constexpr unsigned Shift = 1, Alt = 2, Ctrl = 4;
}
namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35,
              Home = 36, Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, F1 = 112,
              F2 = 113, F12 = 123;
}

class TLabel : public TControl {
public:
    TLabel(TComponent* owner, std::string name);
    std::string Caption;
    bool AutoSize = true;
    bool Transparent = false;
};

enum class TBevelCut { None, Lowered, Raised };

class TPanel : public TWinControl {
public:
    TPanel(TComponent* owner, std::string name);
    std::string Caption;
    TBevelCut BevelOuter = TBevelCut::Raised;
    TBevelCut BevelInner = TBevelCut::None;
    TRect ClientRect() const override;  // inside the bevels
};

class TGroupBox : public TWinControl {
public:
    TGroupBox(TComponent* owner, std::string name);
    std::string Caption;
    TRect ClientRect() const override;  // inside the frame, below the caption
};

class TSplitter : public TControl {
public:
    TSplitter(TComponent* owner, std::string name);
};

class TImage : public TControl {
public:
    TImage(TComponent* owner, std::string name);
    TBitmap Picture;
    bool AutoSize = false;
    bool Transparent = false;
};

// Text edits. The change event fires whenever the text changes, by typing
// or by code.
class TCustomEdit : public TWinControl {
public:
    TCustomEdit(TComponent* owner, std::string name);

    const std::string& Text() const { return text_; }
    virtual void SetText(std::string_view text);  // fires OnChange when different
    void Clear() { SetText(""); }
    int MaxLength = 0;  // 0: no limit (characters)
    bool ReadOnly = false;
    TNotifyEvent OnChange;

    // As the user typing: replaces the whole text, cut to MaxLength and shaped
    // by the control's own rules (e.g. an edit mask).
    virtual void TypeText(std::string_view text);

    bool CanFocus() const override;
    // A typed character: appended as typing would (Backspace removes the last one).
    void KeyPress(char& key) override;

private:
    std::string text_;
};

class TEdit : public TCustomEdit {
public:
    TEdit(TComponent* owner, std::string name);
};

// Edit mask "mask;saveLiterals;blank" ("99;0; "): '9' an optional digit,
// '0' a required digit, 'L'/'l' letters, 'A'/'a' alphanumerics, other
// characters literal. Typed text keeps only what fits the mask.
class TMaskEdit : public TCustomEdit {
public:
    TMaskEdit(TComponent* owner, std::string name);
    std::string EditMask;
    void TypeText(std::string_view text) override;
    void SetText(std::string_view text) override;  // by code: laid into the mask in order
    // The text as the edit shows it: each mask position filled, blanks as the
    // mask's blank character, literals in place.
    std::string DisplayText() const;

private:
    std::string shown_;  // as last typed, with blanks where they were typed
};

// A flat speed button: a click runs its handler and never moves the focus.
class TSpeedButton : public TControl {
public:
    TSpeedButton(TComponent* owner, std::string name);
    std::string Caption;
    TBitmap Glyph;
    int NumGlyphs = 1;
    bool Flat = true;
    TNotifyEvent OnClick;
    // Runs OnClick when showing and enabled. User actions reach it through
    // the application's dispatcher.
    virtual void Click();
};

}  // namespace vcl
