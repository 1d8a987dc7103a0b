// Filter fields: the branch, supplier and series lookups (pick list on the
// search button, database check on leaving the edit), the date edits and the
// date-range check.
#include "remessa/frm_remessa_analise.h"
#include "vcl/mask_text.h"
#include "vcl/scope_exit.h"

namespace Cli_zrm90000 {

using vlm::TConsiste;

// ---- Branch ----

void TfrmRemessaAnalise::btpFilialBeforePesq(vcl::TObject* /*Sender*/, bool& /*Pesquisa*/) {
    qryFilial->Close();
    qryFilial->ParamByName("P_CDFILIAL").Clear();
    qryFilial->ParamByName("P_TCDFILIAL").SetValue("T");
    qryFilial->Open();
}

void TfrmRemessaAnalise::btpFilialAfterPesq(vcl::TObject* /*Sender*/) {
    medFilial->SetText(qryFilial->FieldByName("CDFILIAL").AsString());
    edtNmFilial->SetText(qryFilial->FieldByName("NMFILIAL").AsString());
    boPesqFilial = true;
}

void TfrmRemessaAnalise::medFilialChange(vcl::TObject* /*Sender*/) {
    edtNmFilial->Clear();
    boPesqFilial = false;
    medNumNota->Clear();
}

void TfrmRemessaAnalise::medFilialExit(vcl::TObject* /*Sender*/) {
    if (boPesqFilial)
        return;
    vcl::RunRecovering(
        [&] {
            if (TConsiste::EmptyString(medFilial->Text()))
                return;
            medFilial->SetText(TConsiste::Ajusta(medFilial->Text(), 4));
            qryFilial->Close();
            qryFilial->ParamByName("P_CDFILIAL").SetValue(medFilial->Text());
            qryFilial->ParamByName("P_TCDFILIAL").Clear();
            qryFilial->Open();
            if (qryFilial->IsEmpty())
                Consiste.MensErro(msgPadrao->Msg("Fil_Cad"), true);
            edtNmFilial->SetText(qryFilial->FieldByName("NMFILIAL").AsString());
            boPesqFilial = true;
        },
        [&] { medFilial->SetFocus(); });
}

// ---- Supplier: keyed by the registration number, remembered by its code ----

void TfrmRemessaAnalise::btpFornecedorBeforePesq(vcl::TObject* /*Sender*/, bool& /*Pesquisa*/) {
    qryFornecedor->Close();
    qryFornecedor->ParamByName("P_NRINSJURFORN").Clear();
    qryFornecedor->ParamByName("P_TNRINSJURFORN").SetValue("T");
    qryFornecedor->Open();
}

void TfrmRemessaAnalise::btpFornecedorAfterPesq(vcl::TObject* /*Sender*/) {
    medFornecedor->SetText(qryFornecedor->FieldByName("NRINSJURFORN").AsString());
    edtNmFornecedor->SetText(qryFornecedor->FieldByName("NMRAZSOCFORN").AsString());
    stCdForneced = qryFornecedor->FieldByName("CDFORNECED").AsString();
    boPesqForn = true;
}

void TfrmRemessaAnalise::medFornecedorChange(vcl::TObject* /*Sender*/) {
    edtNmFornecedor->Clear();
    boPesqForn = false;
    medNumNota->Clear();
    if (TConsiste::EmptyString(medFornecedor->Text()))
        stCdForneced.clear();
}

void TfrmRemessaAnalise::medFornecedorExit(vcl::TObject* /*Sender*/) {
    if (boPesqForn)
        return;
    vcl::RunRecovering(
        [&] {
            if (TConsiste::EmptyString(medFornecedor->Text()))
                return;
            qryFornecedor->Close();
            qryFornecedor->ParamByName("P_NRINSJURFORN").SetValue(medFornecedor->Text());
            qryFornecedor->ParamByName("P_TNRINSJURFORN").Clear();
            qryFornecedor->Open();
            if (qryFornecedor->IsEmpty())
                Consiste.MensErro(msgPadrao->Msg("For_Cad"), true);
            edtNmFornecedor->SetText(qryFornecedor->FieldByName("NMRAZSOCFORN").AsString());
            stCdForneced = qryFornecedor->FieldByName("CDFORNECED").AsString();
            boPesqForn = true;
        },
        [&] { medFornecedor->SetFocus(); });
}

void TfrmRemessaAnalise::qryFornecedorNRINSJURFORNGetText(vcl::TField* Sender, std::string& Text,
                                                          bool /*DisplayText*/) {
    const std::string personType = qryFornecedor->FieldByName("IDTPIJURFORN").AsString();
    Text = vcl::FormatMaskText(TConsiste::PictPess(personType), Sender->AsString());
}

// ---- Series ----

void TfrmRemessaAnalise::btpSerieNfBeforePesq(vcl::TObject* /*Sender*/, bool& /*Pesquisa*/) {
    qrySerieNF->Close();
    qrySerieNF->ParamByName("P_CDSERIEENTR").Clear();
    qrySerieNF->ParamByName("P_TCDSERIEENTR").SetValue("T");
    qrySerieNF->Open();
}

void TfrmRemessaAnalise::btpSerieNfAfterPesq(vcl::TObject* /*Sender*/) {
    medSerieNf->SetText(qrySerieNF->FieldByName("CDSERIEENTR").AsString());
    boPesqSerie = true;
}

void TfrmRemessaAnalise::medSerieNfChange(vcl::TObject* /*Sender*/) {
    boPesqSerie = false;
    medNumNota->Clear();
}

void TfrmRemessaAnalise::medSerieNfExit(vcl::TObject* /*Sender*/) {
    if (boPesqSerie)
        return;
    vcl::RunRecovering(
        [&] {
            if (TConsiste::EmptyString(medSerieNf->Text()))
                return;
            qrySerieNF->Close();
            qrySerieNF->ParamByName("P_CDSERIEENTR").SetValue(medSerieNf->Text());
            qrySerieNF->ParamByName("P_TCDSERIEENTR").Clear();
            qrySerieNF->Open();
            if (qrySerieNF->IsEmpty())
                Consiste.MensErro(msgPadrao->Msg("Serie_Cad"), true);
            boPesqSerie = true;
        },
        [&] { medSerieNf->SetFocus(); });
}

// ---- Dates ----

void TfrmRemessaAnalise::depDtEntIniExit(vcl::TObject* Sender) {
    if (auto* dateEdit = dynamic_cast<vlm::TDateEditPlus*>(Sender))
        dateEdit->CheckValidDate();
}

void TfrmRemessaAnalise::vd_datas() {
    if (TConsiste::EmptyString(depDtEntIni->Text())) {
        depDtEntIni->SetFocus();
        Consiste.MensErro(msgPadrao->Msg("DataIni_Deve"), true);
    }
    if (TConsiste::EmptyString(depDtEntFin->Text())) {
        depDtEntFin->SetFocus();
        Consiste.MensErro(msgPadrao->Msg("DataFin_Deve"), true);
    }
    if (depDtEntFin->GetDate() < depDtEntIni->GetDate()) {
        depDtEntIni->SetFocus();
        Consiste.MensErro(msgPadrao->Msg("Data_Menor"), true);
    }
}

}  // namespace Cli_zrm90000
