#include "vlm/roti_geral.h"

namespace vlm {

TfrmRotiGeral::TfrmRotiGeral(vcl::TComponent* owner, std::string name, THost& host)
    : THostForm(owner, std::move(name), host) {
    FormStyle = vcl::TFormStyle::Normal;
    BorderStyle = vcl::TBorderStyle::Dialog;
    SetBounds(0, 0, 524, 127);

    panMenu = &Placed(Make<vcl::TPanel>("panMenu"), this, 461, 0, 55, 90);
    panMenu->Align = vcl::TAlign::Right;
    panMenu->BevelOuter = vcl::TBevelCut::None;

    panHelp = &Placed(Make<vcl::TPanel>("panHelp"), panMenu, 0, 0, 55, 28);
    panHelp->Align = vcl::TAlign::Top;
    panHelp->BevelOuter = vcl::TBevelCut::None;
    sbtHelp = &Placed(Make<TButtonFlat>("sbtHelp"), panHelp, 4, 4, 40, 21);
    sbtHelp->Hint = "Ajuda";
    sbtHelp->ShowHint = true;

    panBotoes = &Placed(Make<vcl::TPanel>("panBotoes"), panMenu, 0, 28, 55, 30);
    panBotoes->Align = vcl::TAlign::Top;
    panBotoes->BevelOuter = vcl::TBevelCut::None;
    sbtConfirma = &Placed(Make<TButtonFlat>("sbtConfirma"), panBotoes, 4, 4, 40, 21);
    sbtConfirma->Hint = "Confirmar";
    sbtConfirma->ShowHint = true;
    ConfirmButton = sbtConfirma;

    lblCodTela = &Placed(Make<vcl::TLabel>("lblCodTela"), panMenu, 2, 74, 51, 13);
    lblCodTela->Align = vcl::TAlign::Bottom;

    grbDadosRel = &Placed(Make<vcl::TGroupBox>("grbDadosRel"), this, 0, 0, 461, 90);
    grbDadosRel->Align = vcl::TAlign::Client;
    grbDadosRel->TabOrder = 0;

    msgPadrao = &Make<TMessages>("msgPadrao", host.Services);

    OnCreate = [this](vcl::TObject* sender) { FormCreate(sender); };
}

TfrmRotiGeral::~TfrmRotiGeral() = default;

void TfrmRotiGeral::FormCreate(vcl::TObject* /*sender*/) {
    Realign();
}

}  // namespace vlm
