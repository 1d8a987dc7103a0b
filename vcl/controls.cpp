#include "vcl/controls.h"

#include <algorithm>

#include "vcl/forms.h"
#include "vcl/utf8.h"

namespace vcl {

// ---- TControl ----

TControl::TControl(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}

TControl::~TControl() {
    SetParent(nullptr);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) {
        return;
    }
    for (const TWinControl* p = parent; p != nullptr; p = p->Parent()) {
        if (p == this) {
            throw Exception("Um controle não pode ser colocado dentro de si mesmo: " + Name());
        }
    }
    if (parent_ != nullptr) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent_ = parent;
    if (parent_ != nullptr) {
        parent_->children_.push_back(this);
    }
}

TForm* TControl::ParentForm() const {
    for (const TControl* c = this; c != nullptr; c = c->Parent()) {
        if (auto* form = dynamic_cast<const TForm*>(c)) {
            return const_cast<TForm*>(form);
        }
    }
    return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
}

bool TControl::IsShowing() const {
    for (const TControl* c = this; c != nullptr; c = c->Parent()) {
        if (!c->Visible) {
            return false;
        }
    }
    return true;
}

bool TControl::IsEnabledInTree() const {
    for (const TControl* c = this; c != nullptr; c = c->Parent()) {
        if (!c->Enabled) {
            return false;
        }
    }
    return true;
}

TRect TControl::BoundsRect() const {
    if (parent_ == nullptr || Align == TAlign::None) {
        return Bounds(Left, Top, Width, Height);
    }
    return parent_->LayoutChild(*this);
}

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner, std::string name) : TControl(owner, std::move(name)) {}

TWinControl::~TWinControl() {
    if (TForm* form = ParentForm(); form != nullptr && form != this) {
        form->ForgetControl(this);
    }
    // Children may outlive this container (they are freed by their owner);
    // they are left unparented rather than pointing at a dead parent.
    for (TControl* child : children_) {
        child->parent_ = nullptr;
    }
    children_.clear();
}

bool TWinControl::Contains(const TControl* control) const {
    for (const TControl* c = control; c != nullptr; c = c->Parent()) {
        if (c == this) {
            return true;
        }
    }
    return false;
}

bool TWinControl::CanFocus() const {
    return IsShowing() && IsEnabledInTree();
}

bool TWinControl::Focused() const {
    const TForm* form = ParentForm();
    return form != nullptr && form->ActiveControl() == this;
}

void TWinControl::SetFocus() {
    TForm* form = ParentForm();
    if (form == nullptr) {
        throw EInvalidOperation("Não é possível focar " + Name() + ": não está em um formulário");
    }
    form->FocusControl(this == form ? nullptr : this);
}

void TWinControl::KeyDown(int& /*key*/, unsigned /*shift*/) {}

void TWinControl::KeyPress(char& /*key*/) {}

TRect TWinControl::ClientRect() const {
    const TRect bounds = BoundsRect();
    return Rect(0, 0, bounds.Width(), bounds.Height());
}

TRect TWinControl::LayoutChild(const TControl& child) const {
    TRect area = ClientRect();
    constexpr TAlign kOrder[] = {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client};
    for (TAlign align : kOrder) {
        std::vector<const TControl*> group;
        for (const TControl* c : children_) {
            if (c->Align == align && c->Visible) {
                group.push_back(c);
            }
        }
        // Controls with the same alignment stack in the order of their designed position.
        std::stable_sort(group.begin(), group.end(), [align](const TControl* a, const TControl* b) {
            switch (align) {
                case TAlign::Top:
                    return a->Top < b->Top;
                case TAlign::Bottom:
                    return a->Top > b->Top;
                case TAlign::Left:
                    return a->Left < b->Left;
                case TAlign::Right:
                    return a->Left > b->Left;
                default:
                    return false;
            }
        });
        for (const TControl* c : group) {
            TRect r = area;
            switch (align) {
                case TAlign::Top:
                    r.Bottom = std::min(area.Bottom, area.Top + c->Height);
                    area.Top = r.Bottom;
                    break;
                case TAlign::Bottom:
                    r.Top = std::max(area.Top, area.Bottom - c->Height);
                    area.Bottom = r.Top;
                    break;
                case TAlign::Left:
                    r.Right = std::min(area.Right, area.Left + c->Width);
                    area.Left = r.Right;
                    break;
                case TAlign::Right:
                    r.Left = std::max(area.Left, area.Right - c->Width);
                    area.Right = r.Left;
                    break;
                default:
                    break;
            }
            if (c == &child) {
                return r;
            }
        }
    }
    return Bounds(child.Left, child.Top, child.Width, child.Height);
}

void TWinControl::Realign() {
    for (TControl* child : children_) {
        if (child->Align != TAlign::None) {
            const TRect r = LayoutChild(*child);
            child->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        }
    }
    for (TControl* child : children_) {
        if (auto* container = dynamic_cast<TWinControl*>(child)) {
            container->Realign();
        }
    }
}

// ---- simple controls ----

TLabel::TLabel(TComponent* owner, std::string name) : TControl(owner, std::move(name)) {}

TPanel::TPanel(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}

TRect TPanel::ClientRect() const {
    const int inset = (BevelOuter != TBevelCut::None ? 1 : 0) + (BevelInner != TBevelCut::None ? 1 : 0);
    const TRect bounds = BoundsRect();
    return Rect(inset, inset, std::max(inset, bounds.Width() - inset),
                std::max(inset, bounds.Height() - inset));
}

TGroupBox::TGroupBox(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}

TRect TGroupBox::ClientRect() const {
    constexpr int kFrame = 2, kCaption = 15;
    const TRect bounds = BoundsRect();
    return Rect(kFrame, kCaption, std::max(kFrame, bounds.Width() - kFrame),
                std::max(kCaption, bounds.Height() - kFrame));
}

TSplitter::TSplitter(TComponent* owner, std::string name) : TControl(owner, std::move(name)) {
    Cursor = TCursor::VSplit;
}

TImage::TImage(TComponent* owner, std::string name) : TControl(owner, std::move(name)) {}

// ---- edits ----

TCustomEdit::TCustomEdit(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {
    TabStop = true;
    Color = clWindow;
}

void TCustomEdit::SetText(std::string_view text) {
    if (text == text_) {
        return;
    }
    text_ = std::string(text);
    if (OnChange) {
        OnChange(this);
    }
}

void TCustomEdit::TypeText(std::string_view text) {
    if (ReadOnly) {
        return;
    }
    SetText(MaxLength > 0 ? utf8::Prefix(text, static_cast<std::size_t>(MaxLength)) : text);
}

bool TCustomEdit::CanFocus() const {
    return TWinControl::CanFocus();
}

void TCustomEdit::KeyPress(char& key) {
    if (ReadOnly || key == 0) {
        return;
    }
    if (key == static_cast<char>(vk::Back)) {
        TypeText(utf8::DropLast(Text()));
    } else if (static_cast<unsigned char>(key) >= 32) {
        TypeText(Text() + key);
    }
}

TEdit::TEdit(TComponent* owner, std::string name) : TCustomEdit(owner, std::move(name)) {}

TSpeedButton::TSpeedButton(TComponent* owner, std::string name) : TControl(owner, std::move(name)) {}

void TSpeedButton::Click() {
    if (!IsShowing() || !IsEnabledInTree()) {
        return;
    }
    if (OnClick) {
        OnClick(this);
    }
}

}  // namespace vcl
