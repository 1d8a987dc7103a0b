// Base of the host's dialogs: a field area (grbDadosRel), a button column
// at the right (panMenu) with help and confirm, the message table and the
// host services bound to the host context.
#pragma once

#include <string>

#include "vcl/forms.h"
#include "vlm/button_flat.h"
#include "vlm/host_form.h"
#include "vlm/messages.h"

namespace vlm {

class TfrmRotiGeral : public THostForm {
public:
    TfrmRotiGeral(vcl::TComponent* owner, std::string name, THost& host);
    ~TfrmRotiGeral() override;

    vcl::TPanel* panMenu;  // button column, aligned right
    vcl::TPanel* panHelp;  // inside panMenu
    TButtonFlat* sbtHelp;
    vcl::TPanel* panBotoes;  // inside panMenu
    TButtonFlat* sbtConfirma;
    vcl::TLabel* lblCodTela;      // the dialog code, inside panMenu
    vcl::TGroupBox* grbDadosRel;  // the field area, aligned client
    TMessages* msgPadrao;

    // Bound to OnCreate; a derived dialog overrides it and calls this first.
    virtual void FormCreate(vcl::TObject* sender);
};

}  // namespace vlm
