// Filter fields: the branch, supplier and series lookups (pick list on the
// search button, database check on leaving the edit), the date edits and the
// date-range check.
#include "remessa/frm_remessa_analise.h"
#include "vcl/mask_text.h"

namespace Cli_zrm90000 {

using vlm::TConsiste;

// ---- Lookups: each handler binds to the form's lookup of that field ----

void TfrmRemessaAnalise::btpFilialBeforePesq(vcl::TObject*, bool&) {
    lkpFilial->OpenAll();
}
void TfrmRemessaAnalise::btpFilialAfterPesq(vcl::TObject*) {
    lkpFilial->TakePicked();
}
void TfrmRemessaAnalise::medFilialChange(vcl::TObject*) {
    lkpFilial->Changed();
}
void TfrmRemessaAnalise::medFilialExit(vcl::TObject*) {
    lkpFilial->Check();
}

void TfrmRemessaAnalise::btpFornecedorBeforePesq(vcl::TObject*, bool&) {
    lkpFornecedor->OpenAll();
}
void TfrmRemessaAnalise::btpFornecedorAfterPesq(vcl::TObject*) {
    lkpFornecedor->TakePicked();
}
void TfrmRemessaAnalise::medFornecedorChange(vcl::TObject*) {
    lkpFornecedor->Changed();
}
void TfrmRemessaAnalise::medFornecedorExit(vcl::TObject*) {
    lkpFornecedor->Check();
}

void TfrmRemessaAnalise::btpSerieNfBeforePesq(vcl::TObject*, bool&) {
    lkpSerieNf->OpenAll();
}
void TfrmRemessaAnalise::btpSerieNfAfterPesq(vcl::TObject*) {
    lkpSerieNf->TakePicked();
}
void TfrmRemessaAnalise::medSerieNfChange(vcl::TObject*) {
    lkpSerieNf->Changed();
}
void TfrmRemessaAnalise::medSerieNfExit(vcl::TObject*) {
    lkpSerieNf->Check();
}

void TfrmRemessaAnalise::qryFornecedorNRINSJURFORNGetText(vcl::TField* Sender, std::string& Text,
                                                          bool /*DisplayText*/) {
    const std::string personType = qryFornecedor->FieldByName("IDTPIJURFORN").AsString();
    Text = vcl::FormatMaskText(TConsiste::PictPess(personType), Sender->AsString());
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
