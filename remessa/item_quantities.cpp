// Items grid: only the quantity to send is editable, no row can be added,
// keystrokes are filtered, every posted quantity is checked and recomputes
// its note's send flag.
#include "remessa/frm_remessa_analise.h"
#include "vcl/scope_exit.h"

namespace Cli_zrm90000 {

using vlm::TConsiste;

void TfrmRemessaAnalise::dbgItensNotaColEnter(vcl::TObject* /*Sender*/) {
    vcl::TField* field = dbgItensNota->SelectedField();
    if (field != nullptr && field->FieldName() == "QTENVIADA") {
        dbgItensNota->Options.insert(vcl::TGridOption::Editing);
    } else {
        dbgItensNota->Options.erase(vcl::TGridOption::Editing);
    }
}

void TfrmRemessaAnalise::dbgItensNotaColExit(vcl::TObject* /*Sender*/) {
    if (dbgItensNota->SelectedIndex() == TConsiste::IndiceCol(dbgItensNota, "QTENVIADA") &&
        cdsItensNota->InEditMode()) {
        cdsItensNota->Post();
    }
}

void TfrmRemessaAnalise::dbgItensNotaKeyPress(vcl::TObject* /*Sender*/, char& Key) {
    switch (static_cast<unsigned char>(Key)) {
        case '+':
        case '-':
        case 'E':
        case 'e':
        case 'm':
        case 189:
            Key = 0;
            break;
        default:
            break;
    }
}

void TfrmRemessaAnalise::cdsItensNotaBeforeInsert(vcl::TClientDataSet* /*DataSet*/) {
    vcl::Abort();
}

void TfrmRemessaAnalise::cdsItensNotaBeforePost(vcl::TClientDataSet* /*DataSet*/) {
    if (cdsItensNota->FieldByName("QTENVIADA").AsFloat() > 0)
        vd_quantidade();
}

void TfrmRemessaAnalise::vd_quantidade() {
    vcl::TField* selected = dbgItensNota->SelectedField();
    if (!cdsItensNota->InEditMode() || selected == nullptr || selected->FieldName() != "QTENVIADA")
        return;
    vcl::RunRecovering(
        [&] {
            const double original = TConsiste::RoundDec(cdsItensNota->FieldByName("QTITEMPROD").AsFloat(), 3);
            const double toSend = TConsiste::RoundDec(cdsItensNota->FieldByName("QTENVIADA").AsFloat(), 3);
            if (toSend > original)
                Consiste.MensErro(msgPadrao->Msg("QtEnv_Maior"), true);
        },
        [&] { cdsItensNota->FieldByName("QTENVIADA").FocusControl(); });
}

void TfrmRemessaAnalise::cdsItensNotaAfterPost(vcl::TClientDataSet* /*DataSet*/) {
    const std::string cdFilial = cdsItensNota->FieldByName("CDFILIAL").AsString();
    const std::string nrLanctoNf = cdsItensNota->FieldByName("NRLANCTONF").AsString();
    const std::string nrSeqItProd = cdsItensNota->FieldByName("NRSEQITPROD").AsString();
    cdsNotaFiscalGrid->DisableControls();
    if (cdsNotaFiscalGrid->Locate("CDFILIAL;NRLANCTONF", vcl::VariantArray{cdFilial, nrLanctoNf},
                                  {.caseInsensitive = true})) {
        cdsNotaFiscalGrid->Edit();
        vcl::TField& envia = cdsNotaFiscalGrid->FieldByName("ENVIA");
        const std::string noteFilial = cdsNotaFiscalGrid->FieldByName("CDFILIAL").AsString();
        const std::string noteLancto = cdsNotaFiscalGrid->FieldByName("NRLANCTONF").AsString();
        cdsItensNota->DisableControls();
        cdsItensNota->First();
        while (!cdsItensNota->Eof()) {
            if (cdsItensNota->FieldByName("CDFILIAL").AsString() == noteFilial &&
                cdsItensNota->FieldByName("NRLANCTONF").AsString() == noteLancto) {
                if (cdsItensNota->FieldByName("QTENVIADA").AsFloat() > 0) {
                    envia.SetAsString("S");
                    break;
                }
                envia.SetAsString("N");
            }
            cdsItensNota->Next();
        }
        cdsItensNota->EnableControls();
        cdsNotaFiscalGrid->Post();
        // The items grid goes back to the item just posted.
        cdsItensNota->Locate("CDFILIAL;NRLANCTONF;NRSEQITPROD",
                             vcl::VariantArray{cdFilial, nrLanctoNf, nrSeqItProd});
    }
    cdsNotaFiscalGrid->EnableControls();
}

}  // namespace Cli_zrm90000
