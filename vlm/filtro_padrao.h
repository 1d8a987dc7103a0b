// Base of the host's filter screens: a work area (grbFiltroPadrao), a button
// column at the right (panMenu) with confirm and cancel, option buttons,
// the message table and the host services bound to the host context.
#pragma once

#include <string>

#include "vcl/dataset.h"
#include "vcl/forms.h"
#include "vlm/button_flat.h"
#include "vlm/host_form.h"
#include "vlm/messages.h"
#include "vlm/popup_menu.h"

namespace vlm {

class TfrmFiltroPadrao : public THostForm {
public:
    TfrmFiltroPadrao(vcl::TComponent* owner, std::string name, THost& host);
    ~TfrmFiltroPadrao() override;

    vcl::TPanel* panMenu;    // button column, aligned right
    vcl::TPanel* panBotoes;  // inside panMenu: sbtConfirma, sbtCancel
    TButtonFlat* sbtConfirma;
    TButtonFlat* sbtCancel;           // closes the screen
    TButtonFlat* btfSaveOpc;          // inside panMenu
    vcl::TPanel* panBotao;            // inside panMenu
    TButtonFlat* btfLoadOpc;          // inside panBotao
    vcl::TLabel* lblCodTela;          // the screen code, inside panMenu
    vcl::TGroupBox* grbFiltroPadrao;  // the work area, aligned client
    TMessages* msgPadrao;
    TPopupMenu* ppmOpcoes;
    TPopupMenu* PopupMenu1;
    vcl::TClientDataSet* cdsCarregaOpcoes;

    // Bound to OnCreate and OnClose; a derived screen overrides them and
    // calls these first. FormClose sets the action to Free: a closed screen
    // is released.
    virtual void FormCreate(vcl::TObject* sender);
    virtual void FormClose(vcl::TObject* sender, vcl::TCloseAction& action);
    // Click of sbtCancel: closes the form.
    void sbtCancelClick(vcl::TObject* sender);

    // The application runs OnDestroy (vcl::TForm) before it frees the form,
    // so the owner of a global pointer to the screen can clear it there.
};

}  // namespace vlm
