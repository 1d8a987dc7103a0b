// Confirmation of the dialog: validates its fields, fetches the default
// series, asks the application server to generate the remittance notes and
// reports success or the list of errors.
#include "contracts/server_api.h"
#include "geracao/frm_geracao.h"
#include "remessa/frm_remessa_analise.h"
#include "vcl/scope_exit.h"

namespace Cli_zrm90001 {

using Cli_zrm90000::frmRemessaAnalise;
using vlm::TConsiste;

void TfrmGeracao::sbtConfirmaClick(vcl::TObject* /*Sender*/) {
    if (TConsiste::EmptyString(medFilial->Text()))
        Consiste.MensErro(msgPadrao->Msg("Fil_Deve"), true);
    if (medFilial->Text() == frmRemessaAnalise->medFilial->Text())
        Consiste.MensErro(msgPadrao->Msg("Fil_Dif"), true);
    getSerie();
    Vd_TipoOper(true);
    Vd_DataSaida(true);
    if (stSerie.empty())
        Consiste.MensErro(msgPadrao->Msg("Serie_Vazia"), true);

    vcl::RunRecovering(
        [&] {
            Showavi.ActiveShowAvi(frmRemessaAnalise, 6, frmRemessaAnalise->msgPadrao->Msg("get"));
            const vcl::Variant answer = frmRemessaAnalise->netRemesAnalise->AppServer(
                contracts::kGeraSaida,
                {frmRemessaAnalise->cdsNotaAux->Data(), frmRemessaAnalise->cdsItensAux->Data(),
                 medFilial->Text(), &stSerie, &stEmpresa, depDtSaida->GetDate(), medCdOperacao->Text(),
                 Valmora.FiliProc()});
            cdsNotasGeradas->SetData(answer[1]);
            cdsErro->SetData(answer[2]);
            const std::string status = answer[0].AsString();
            if (status == "OK") {
                msgPadrao->ShowMsg("Lan_Sucesso", contracts::TMsgDlgType::Information,
                                   {contracts::TMsgDlgBtn::OK}, 0);
            } else if (status == "N") {
                Dbinfo.ShowDetail(msgPadrao->Msg("Erros_Geracao"), "", cdsErro, cdsErro->Data(), 0, nullptr);
            } else {
                Consiste.MensErro(status, true);
            }
            Showavi.DeactiveShowAvi();
        },
        [&] { Showavi.DeactiveShowAvi(); });
    Close();
}

}  // namespace Cli_zrm90001
