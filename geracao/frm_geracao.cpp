// TfrmGeracao: creation, the destination-branch and operation-type lookups,
// the departure date and the origin branch's default series.
#include "geracao/frm_geracao.h"

#include "contracts/server_api.h"
#include "remessa/frm_remessa_analise.h"
#include "vcl/scope_exit.h"

namespace Cli_zrm90001 {

using Cli_zrm90000::frmRemessaAnalise;
using vlm::TConsiste;

TfrmGeracao* frmGeracao = nullptr;
bool boPesqTipoOp = false;
bool boPesqFilRem = false;
std::string stSerie;
std::string stEmpresa;

namespace {
int initCount = 0;
}

void Initialization() {
    if (initCount++ != 0)
        return;
    boPesqTipoOp = false;
    boPesqFilRem = false;
}

void Finalization() {
    if (initCount == 0 || --initCount != 0)
        return;
    stEmpresa.clear();
    stSerie.clear();
}

TfrmGeracao::TfrmGeracao(vcl::TComponent* owner, std::string name, vlm::THost& host)
    : vlm::TfrmRotiGeral(owner, std::move(name), host) {
    BuildForm();
}

TfrmGeracao::~TfrmGeracao() {
    if (frmGeracao == this)
        frmGeracao = nullptr;
}

void TfrmGeracao::FormCreate(vcl::TObject* Sender) {
    vlm::TfrmRotiGeral::FormCreate(Sender);
    cdsItensAnalise->FieldByName("CDARVPROD").EditMask = Valmora.DBPict(0);
    cdsErro->FieldByName("CDARVPROD").EditMask = Valmora.DBPict(0);
}

void TfrmGeracao::FormActivate(vcl::TObject* /*Sender*/) {
    Realign();
}

// ---- Lookups: each handler binds to the form's lookup of that field ----

void TfrmGeracao::btnFilialBeforePesq(vcl::TObject*, bool&) {
    lkpFilial->OpenAll();
}
void TfrmGeracao::btnFilialAfterPesq(vcl::TObject*) {
    lkpFilial->TakePicked();
}
void TfrmGeracao::medFilialChange(vcl::TObject*) {
    lkpFilial->Changed();
}
void TfrmGeracao::medFilialExit(vcl::TObject*) {
    lkpFilial->Check();
}

void TfrmGeracao::btpOperacaoBeforePesq(vcl::TObject*, bool&) {
    lkpOperacao->OpenAll();
}
void TfrmGeracao::btpOperacaoAfterPesq(vcl::TObject*) {
    lkpOperacao->TakePicked();
}
void TfrmGeracao::medCdOperacaoChange(vcl::TObject*) {
    lkpOperacao->Changed();
}

// The operation type is padded on every exit and checked unless picked; the
// confirmation checks it again as mandatory.
void TfrmGeracao::medCdOperacaoExit(vcl::TObject* /*Sender*/) {
    medCdOperacao->SetText(TConsiste::Ajusta(medCdOperacao->Text(), 2));
    if (!boPesqTipoOp)
        Vd_TipoOper(false);
}

void TfrmGeracao::Vd_TipoOper(bool Obrigatorio) {
    const bool empty = TConsiste::EmptyString(medCdOperacao->Text());
    vcl::RunRecovering(
        [&] {
            if (empty) {
                if (Obrigatorio)
                    Consiste.MensErro(msgPadrao->Msg("Oper_Inf"), true);
                return;
            }
            if (boPesqTipoOp)
                return;  // a picked code is trusted
            lkpOperacao->Find();
        },
        [&] {
            edtNmOperacao->Clear();
            medCdOperacao->SetFocus();
        });
}

// ---- Departure date ----

void TfrmGeracao::depDtSaidaExit(vcl::TObject* /*Sender*/) {
    Vd_DataSaida(false);
}

void TfrmGeracao::Vd_DataSaida(bool Obrigatorio) {
    const bool empty = TConsiste::EmptyString(depDtSaida->Text());
    vcl::RunRecovering(
        [&] {
            if (empty) {
                if (Obrigatorio)
                    Consiste.MensErro(msgPadrao->Msg("DtSaida_Inf"), true);
                return;
            }
            depDtSaida->CheckValidDate();
        },
        [&] { depDtSaida->SetFocus(); });
}

// ---- Default series of the origin branch ----

void TfrmGeracao::getSerie() {
    const std::string origin = frmRemessaAnalise->medFilial->Text();
    const vcl::Variant result = frmRemessaAnalise->netRemesAnalise->AppServer(contracts::kGetSerie, {origin});
    cdsSerie->SetData(Consiste.CheckResultServ(result, true, 0));
    stSerie = cdsSerie->FieldByName("CDSERIE").AsString();
    stEmpresa = cdsSerie->FieldByName("CDEMPRESA").AsString();
}

}  // namespace Cli_zrm90001
