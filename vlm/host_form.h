// A form of the host: bound to the host's context, it owns the services the
// host library offers its screens and dialogs (messages and validation, pick
// lists, busy animation, detail window, configuration values) and the
// keyboard short-cuts every form of the host shares:
// - F2 in an edit that a search button is associated with clicks that button;
// - Ctrl+Enter clicks the form's confirm button;
// - Escape in a modal form closes it as its window's close button does
//   (after the focused control had its say: a grid cancelling an edit keeps it).
// The keys reach the same handlers a click reaches.
#pragma once

#include <string>

#include "vcl/controls.h"
#include "vcl/forms.h"
#include "vlm/consiste.h"
#include "vlm/dbinfo.h"
#include "vlm/host.h"
#include "vlm/pesquisa.h"
#include "vlm/showavi.h"
#include "vlm/valmora.h"

namespace vlm {

class THostForm : public vcl::TForm {
public:
    THostForm(vcl::TComponent* owner, std::string name, THost& host)
        : vcl::TForm(owner, std::move(name)),
          Host(host),
          Consiste(host.Services),
          Pesquisa(host.Services),
          Showavi(host.Services),
          Dbinfo(host.Services),
          Valmora(host.Config) {}

    void KeyDown(int& key, unsigned shift) override;

    THost& Host;
    // The button Ctrl+Enter clicks; nullptr: none.
    vcl::TSpeedButton* ConfirmButton = nullptr;
    TConsiste Consiste;
    TPesquisa Pesquisa;
    TShowavi Showavi;
    TDbinfo Dbinfo;
    TValmora Valmora;

private:
    // The showing, enabled search button associated with the control; nullptr when none.
    vcl::TSpeedButton* SearchButtonFor(const vcl::TWinControl* control) const;
};

// Places a control inside a parent at the given bounds; returns it.
template <class T>
T& Placed(T& control, vcl::TWinControl* parent, int left, int top, int width, int height) {
    control.SetParent(parent);
    control.SetBounds(left, top, width, height);
    return control;
}

}  // namespace vlm
