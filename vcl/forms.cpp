#include "vcl/forms.h"

namespace vcl {

TForm::TForm(TComponent* owner, std::string name) : TWinControl(owner, std::move(name)) {}

TForm::~TForm() = default;

TApplication* TForm::Application() const {
    return dynamic_cast<TApplication*>(Owner());
}

TRect TForm::ClientRect() const {
    return Rect(0, 0, ClientWidth > 0 ? ClientWidth : Width, ClientHeight > 0 ? ClientHeight : Height);
}

void TForm::DoCreate() {
    if (OnCreate) {
        OnCreate(this);
    }
}

void TForm::Show() {
    TApplication* app = Application();
    if (app != nullptr) {
        showOrder_ = app->NextShowOrder();
    }
    if (!shown_) {
        shown_ = true;
        if (OnShow) {
            OnShow(this);
        }
        if (active_ == nullptr) {
            if (TWinControl* first = FindNextControl(nullptr, true); first != nullptr) {
                FocusControl(first);
            }
        }
    }
    if (app != nullptr) {
        app->Screen().ActiveForm = this;
    }
    if (OnActivate) {
        OnActivate(this);
    }
}

int TForm::ShowModal() {
    if (modal_) {
        throw EInvalidOperation("O formulário " + Name() + " já está aberto de forma modal");
    }
    TApplication* app = Application();
    THostLoop* loop = app != nullptr ? app->HostLoop() : nullptr;
    if (loop == nullptr) {
        throw EInvalidOperation("Não é possível abrir " + Name() +
                                " de forma modal: a aplicação não tem laço modal");
    }
    TForm* previous = app->Screen().ActiveForm;
    ModalResult = mrNone;
    modal_ = true;
    struct ModalScope {
        bool& modal;
        ~ModalScope() { modal = false; }
    } scope{modal_};
    Show();
    loop->RunModal(*this);
    const int result = ModalResult;
    if (app->Screen().ActiveForm == this || app->Screen().ActiveForm == nullptr) {
        app->Screen().ActiveForm = previous != this ? previous : nullptr;
    }
    return result;
}

void TForm::Close() {
    if (closing_) {
        return;  // a close from inside OnClose
    }
    TCloseAction action = TCloseAction::Hide;
    closing_ = true;
    struct ClosingScope {
        bool& closing;
        ~ClosingScope() { closing = false; }
    };
    {
        ClosingScope scope{closing_};
        if (OnClose) {
            OnClose(this, action);
        }
    }
    if (action == TCloseAction::None) {
        return;
    }
    shown_ = false;
    if (modal_ && ModalResult == mrNone) {
        ModalResult = mrCancel;
    }
    TApplication* app = Application();
    if (app != nullptr && app->Screen().ActiveForm == this) {
        auto open = app->OpenForms();
        app->Screen().ActiveForm = open.empty() ? nullptr : open.back();
    }
    if (action == TCloseAction::Free && app != nullptr) {
        app->ReleaseForm(*this);  // last statement: the form may be gone after it
    }
}

void TForm::KeyDown(int& key, unsigned shiftState) {
    if (active_ != nullptr) {
        active_->KeyDown(key, shiftState);
    }
    if (key == vk::Tab && (shiftState & (shift::Ctrl | shift::Alt)) == 0) {
        key = 0;
        SelectNext((shiftState & shift::Shift) == 0);
    }
}

void TForm::KeyPress(char& key) {
    if (active_ != nullptr) {
        active_->KeyPress(key);
    }
}

}  // namespace vcl
