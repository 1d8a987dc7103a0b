#include "vlm/filtro_padrao.h"

namespace vlm {

TfrmFiltroPadrao::TfrmFiltroPadrao(vcl::TComponent* owner, std::string name, THost& host)
    : THostForm(owner, std::move(name), host) {
    FormStyle = vcl::TFormStyle::MDIChild;
    BorderStyle = vcl::TBorderStyle::Sizeable;
    SetBounds(0, 0, 640, 480);

    panMenu = &Placed(Make<vcl::TPanel>("panMenu"), this, 577, 0, 55, 446);
    panMenu->Align = vcl::TAlign::Right;
    panMenu->BevelOuter = vcl::TBevelCut::None;

    panBotoes = &Placed(Make<vcl::TPanel>("panBotoes"), panMenu, 0, 0, 55, 60);
    panBotoes->Align = vcl::TAlign::Top;
    panBotoes->BevelOuter = vcl::TBevelCut::None;
    sbtConfirma = &Placed(Make<TButtonFlat>("sbtConfirma"), panBotoes, 4, 4, 40, 21);
    sbtConfirma->Hint = "Confirmar";
    sbtConfirma->ShowHint = true;
    ConfirmButton = sbtConfirma;
    sbtCancel = &Placed(Make<TButtonFlat>("sbtCancel"), panBotoes, 4, 31, 40, 21);
    sbtCancel->Hint = "Sair";
    sbtCancel->ShowHint = true;
    sbtCancel->OnClick = [this](vcl::TObject* sender) { sbtCancelClick(sender); };

    btfSaveOpc = &Placed(Make<TButtonFlat>("btfSaveOpc"), panMenu, 4, 64, 40, 21);
    btfSaveOpc->Hint = "Salvar opções";
    panBotao = &Placed(Make<vcl::TPanel>("panBotao"), panMenu, 0, 90, 55, 30);
    panBotao->BevelOuter = vcl::TBevelCut::None;
    btfLoadOpc = &Placed(Make<TButtonFlat>("btfLoadOpc"), panBotao, 4, 4, 40, 21);
    btfLoadOpc->Hint = "Carregar opções";

    lblCodTela = &Placed(Make<vcl::TLabel>("lblCodTela"), panMenu, 2, 430, 51, 13);
    lblCodTela->Align = vcl::TAlign::Bottom;

    grbFiltroPadrao = &Placed(Make<vcl::TGroupBox>("grbFiltroPadrao"), this, 0, 0, 577, 446);
    grbFiltroPadrao->Align = vcl::TAlign::Client;
    grbFiltroPadrao->Caption = " Filtro ";
    grbFiltroPadrao->TabOrder = 0;

    msgPadrao = &Make<TMessages>("msgPadrao", host.Services);
    ppmOpcoes = &Make<TPopupMenu>("ppmOpcoes");
    PopupMenu1 = &Make<TPopupMenu>("PopupMenu1");
    cdsCarregaOpcoes = &Make<vcl::TClientDataSet>("cdsCarregaOpcoes");

    OnCreate = [this](vcl::TObject* sender) { FormCreate(sender); };
    OnClose = [this](vcl::TObject* sender, vcl::TCloseAction& action) { FormClose(sender, action); };
}

TfrmFiltroPadrao::~TfrmFiltroPadrao() = default;

void TfrmFiltroPadrao::FormCreate(vcl::TObject* /*sender*/) {
    Realign();
}

void TfrmFiltroPadrao::FormClose(vcl::TObject* /*sender*/, vcl::TCloseAction& action) {
    Showavi.DeactiveShowAvi();
    action = vcl::TCloseAction::Free;
}

void TfrmFiltroPadrao::sbtCancelClick(vcl::TObject* /*sender*/) {
    Close();
}

}  // namespace vlm
