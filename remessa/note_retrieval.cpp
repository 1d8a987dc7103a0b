// Note retrieval: entering the filter panel discards what was loaded; leaving
// it loads the notes and their items from the application server; the
// note-number button searches, offers a pick list and loads the picked note.
#include "contracts/server_api.h"
#include "remessa/frm_remessa_analise.h"
#include "vcl/mask_text.h"
#include "vcl/scope_exit.h"

namespace Cli_zrm90000 {

using vlm::TConsiste;

void TfrmRemessaAnalise::panFiltroEnter(vcl::TObject* /*Sender*/) {
    cdsNotaFiscalGrid->Close();
    medNumNota->Clear();
    cdsNotaFiscal->Close();
    cdsItensNota->Close();
}

void TfrmRemessaAnalise::btpNumNotaClick(vcl::TObject* /*Sender*/) {
    panFiltroEnter(panFiltro);
    if (TConsiste::EmptyString(medFilial->Text())) {
        medFilial->SetFocus();
        Consiste.MensErro(msgPadrao->Msg("Filial_deve"), true);
    }
    vd_datas();
    vcl::RunRecovering(
        [&] {
            if (!cdsNotaFiscal->Active())
                cdsNotaFiscal->CreateDataSet();
            cdsNotaFiscal->EmptyDataSet();
            cdsNotaFiscal->SetData(vcl::Variant::Null());
            const vcl::Variant result = netRemesAnalise->AppServer(
                contracts::kGetNotasFiscais,
                {cdsNotaFiscal->Data(), medFilial->Text(), &stCdForneced, depDtEntIni->GetDate(),
                 depDtEntFin->GetDate(), medSerieNf->Text(), medNumNota->Text(), "N"});
            oleNotas = Consiste.CheckResultServ(result, true, 0);
            cdsNotaFiscal->SetData(oleNotas[0]);
            if (Pesquisa.Pesquisar(dtsNotaFiscal,
                                   msgPadrao->Msg("NUMNOTA") + "|" + msgPadrao->Msg("N_NOTA_LANC"), false,
                                   true)) {
                stCdfilial = cdsNotaFiscal->FieldByName("CDFILIAL").AsString();
                stNrlanctonf = cdsNotaFiscal->FieldByName("NRLANCTONF").AsString();
                medNumNota->SetText(cdsNotaFiscal->FieldByName("NRNOTAFISC").AsString());
                panFiltroExit(panFiltro);
            }
        },
        [&] { medNumNota->SetFocus(); });
}

void TfrmRemessaAnalise::panFiltroExit(vcl::TObject* /*Sender*/) {
    if (loading_)
        return;
    loading_ = true;
    vcl::Finally endLoad([&] { loading_ = false; });
    vcl::RunRecovering(
        [&] {
            if (TConsiste::EmptyString(medFilial->Text())) {
                medFilial->SetFocus();
                Consiste.MensErro(msgPadrao->Msg("Filial_deve"), true);
            }
            vd_datas();
            Showavi.ActiveShowAvi(frmRemessaAnalise, 6, msgPadrao->Msg("get"));

            if (medNumNota->Text().empty() || cdsNotaFiscal->IsEmpty()) {
                // No number, or no search to narrow: the search's notes, if any.
                const vcl::Variant searched = cdsNotaFiscal->Data();
                if (!searched.IsNull())
                    cdsNotaFiscalGrid->SetData(searched);
            } else {
                // The notes of the search that carry the typed number.
                if (!cdsNotaFiscalGrid->Active())
                    cdsNotaFiscalGrid->CreateDataSet();
                cdsNotaFiscalGrid->EmptyDataSet();
                cdsNotaFiscal->First();
                while (!cdsNotaFiscal->Eof()) {
                    if (cdsNotaFiscal->FieldByName("NRNOTAFISC").AsString() == medNumNota->Text()) {
                        cdsNotaFiscalGrid->Insert();
                        for (const char* name : {"CDFILIAL", "NRLANCTONF", "IDMARCADO", "NRINSJURFORN"})
                            cdsNotaFiscalGrid->FieldByName(name).SetAsString(
                                cdsNotaFiscal->FieldByName(name).AsString());
                        cdsNotaFiscalGrid->FieldByName("DTENTRSAID")
                            .SetAsDateTime(cdsNotaFiscal->FieldByName("DTENTRSAID").AsDateTime());
                        for (const char* name : {"NRNOTAFISC", "CDSERIEENTR"})
                            cdsNotaFiscalGrid->FieldByName(name).SetAsString(
                                cdsNotaFiscal->FieldByName(name).AsString());
                        cdsNotaFiscalGrid->FieldByName("VRNOTAFISC")
                            .SetAsFloat(cdsNotaFiscal->FieldByName("VRNOTAFISC").AsFloat());
                        // The send flag and the person type travel with the row too:
                        // the confirmation and the registration-number mask read them.
                        for (const char* name : {"CDFILIRECE", "ENVIA", "IDTPIJURNF"})
                            cdsNotaFiscalGrid->FieldByName(name).SetAsString(
                                cdsNotaFiscal->FieldByName(name).AsString());
                        cdsNotaFiscalGrid->Post();
                    }
                    cdsNotaFiscal->Next();
                }
            }

            const vcl::Variant result = netRemesAnalise->AppServer(
                contracts::kGetNotasFiscais,
                {cdsNotaFiscalGrid->Data(), medFilial->Text(), &stCdForneced, depDtEntIni->GetDate(),
                 depDtEntFin->GetDate(), medSerieNf->Text(), medNumNota->Text(), "S"});
            oleNotas = Consiste.CheckResultServ(result, true, 0);
            if (cdsNotaFiscalGrid->Data().IsNull())
                cdsNotaFiscalGrid->SetData(oleNotas[0]);
            cdsNotaFiscalGrid->FieldByName("NRINSJURFORN").EditMask =
                TConsiste::PictPess(cdsNotaFiscalGrid->FieldByName("IDTPIJURNF").AsString());
            cdsItensNota->SetData(oleNotas[1]);
            cdsNotaFiscalGrid->First();
            if (vcl::TField* field = dbgNotaFiscal->Columns()[3]->Field())
                field->FocusControl();
            Showavi.DeactiveShowAvi();
        },
        [&] { Showavi.DeactiveShowAvi(); });
}

// Each row's registration number with the mask of its own person type, so that
// a CPF is never cut into a CNPJ mask when both kinds share the grid.
void TfrmRemessaAnalise::NRINSJURFORNGridGetText(vcl::TField* Sender, std::string& Text,
                                                 bool /*DisplayText*/) {
    const std::string mask = TConsiste::PictPess(cdsNotaFiscalGrid->FieldByName("IDTPIJURNF").AsString());
    Text = vcl::FormatMaskText(mask, Sender->AsString());
}

}  // namespace Cli_zrm90000
