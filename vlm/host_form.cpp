#include "vlm/host_form.h"

#include "vlm/btn_pesquisa.h"

namespace vlm {

namespace {

bool Clickable(const vcl::TControl& control) {
    return control.IsShowing() && control.IsEnabledInTree();
}

TBtnPesquisa* FindSearchButton(const vcl::TComponent& owner, const vcl::TWinControl* associate) {
    for (const auto& component : owner.Components()) {
        if (auto* button = dynamic_cast<TBtnPesquisa*>(component.get());
            button != nullptr && button->Associate == associate && Clickable(*button)) {
            return button;
        }
        if (TBtnPesquisa* inner = FindSearchButton(*component, associate)) {
            return inner;
        }
    }
    return nullptr;
}

}  // namespace

vcl::TSpeedButton* THostForm::SearchButtonFor(const vcl::TWinControl* control) const {
    return control != nullptr ? FindSearchButton(*this, control) : nullptr;
}

void THostForm::KeyDown(int& key, unsigned shift) {
    if (key == vcl::vk::Return && shift == vcl::shift::Ctrl) {
        key = 0;
        if (ConfirmButton != nullptr && Clickable(*ConfirmButton)) {
            ConfirmButton->Click();
        }
        return;
    }
    if (key == vcl::vk::F2 && shift == 0) {
        if (vcl::TSpeedButton* search = SearchButtonFor(ActiveControl())) {
            key = 0;
            search->Click();
            return;
        }
    }
    vcl::TForm::KeyDown(key, shift);
    if (key == vcl::vk::Escape && shift == 0 && Modal() && Visible()) {
        key = 0;
        Close();
    }
}

}  // namespace vlm
