#include "vlm/showavi.h"

#include <string>

#include "vcl/exceptions.h"

namespace vlm {

TShowavi::~TShowavi() {
    DeactiveShowAvi();
}

void TShowavi::ActiveShowAvi(vcl::TForm& form, int animation, std::string_view text) {
    shown_ = true;  // before the show: a show that fails half-way is still removed
    services_.ShowBusy(form, animation, std::string(text));
}

void TShowavi::ActiveShowAvi(vcl::TForm* form, int animation, std::string_view text) {
    if (form == nullptr)
        throw vcl::Exception("Animação sem formulário");
    ActiveShowAvi(*form, animation, text);
}

void TShowavi::DeactiveShowAvi() {
    if (!shown_)
        return;
    shown_ = false;
    services_.HideBusy();
}

}  // namespace vlm
