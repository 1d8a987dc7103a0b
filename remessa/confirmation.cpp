// Confirmation: checks the marks, copies the marked notes and their items to
// send into cdsNotaAux and cdsItensAux, and opens the generation dialog.
#include "geracao/frm_geracao.h"
#include "remessa/frm_remessa_analise.h"
#include "remessa/note_filter.h"
#include "vcl/forms.h"
#include "vcl/scope_exit.h"

namespace Cli_zrm90000 {

void TfrmRemessaAnalise::sbtConfirmarClick(vcl::TObject* /*Sender*/) {
    // With the notes closed (the filter panel was entered) there is nothing to
    // confirm: say so before anything is touched.
    if (!cdsNotaFiscalGrid->Active())
        Consiste.MensErro(msgPadrao->Msg("Nota_Marcada"), true);

    // 1. A pending quantity is posted first, with its check and the note's send flag.
    if (cdsItensNota->InEditMode()) {
        cdsItensNota->Post();
    }

    // 2. Scan of the marks, with the grid's display suspended.
    bool marked = false;
    bool nothingToSend = false;
    cdsNotaFiscalGrid->DisableControls();
    {
        vcl::Finally resume([&] {
            cdsNotaFiscalGrid->First();
            cdsNotaFiscalGrid->EnableControls();
        });
        cdsNotaFiscalGrid->First();
        while (!cdsNotaFiscalGrid->Eof()) {
            if (cdsNotaFiscalGrid->FieldByName("IDMARCADO").AsString() == "S") {
                marked = true;
                if (cdsNotaFiscalGrid->FieldByName("ENVIA").AsString() == "N") {
                    nothingToSend = true;
                    cdsNotaFiscalGrid->FieldByName("IDMARCADO").FocusControl();
                    break;
                }
            }
            cdsNotaFiscalGrid->Next();
        }
    }

    // 3. Decide.
    if (!marked)
        Consiste.MensErro(msgPadrao->Msg("Nota_Marcada"), true);
    if (nothingToSend)
        Consiste.MensErro(msgPadrao->Msg("QtEnv_zero"), true);

    // 4. Copy every note and every item.
    cdsNotaAux->SetData(cdsNotaFiscalGrid->Data());
    cdsItensAux->SetData(cdsItensNota->Data());

    // 5. Keep the marked notes and mark their items.
    cdsNotaAux->First();
    while (!cdsNotaAux->Eof()) {
        if (cdsNotaAux->FieldByName("IDMARCADO").AsString() != "S") {
            cdsNotaAux->Delete();
            continue;
        }
        cdsItensAux->SetFiltered(false);
        cdsItensAux->SetFilter(NoteFilter(cdsNotaAux->FieldByName("CDFILIAL").AsString(),
                                          cdsNotaAux->FieldByName("NRLANCTONF").AsString()));
        cdsItensAux->SetFiltered(true);
        cdsItensAux->First();
        while (!cdsItensAux->Eof()) {
            cdsItensAux->Edit();
            cdsItensAux->FieldByName("IDMARCADO").SetAsString("S");
            cdsItensAux->Next();
        }
        cdsNotaAux->Next();
    }

    // 6. Drop what is not sent.
    cdsItensAux->SetFiltered(false);
    cdsItensAux->First();
    while (!cdsItensAux->Eof()) {
        if (cdsItensAux->FieldByName("IDMARCADO").AsString() == "S" &&
            cdsItensAux->FieldByName("QTENVIADA").AsFloat() > 0) {
            cdsItensAux->Next();
        } else {
            cdsItensAux->Delete();
        }
    }

    // 7. A new dialog for every confirmation; the previous one, closed, is released.
    vcl::TApplication& application = Host.Application;
    if (Cli_zrm90001::frmGeracao != nullptr) {
        vcl::TForm* previous = Cli_zrm90001::frmGeracao;
        Cli_zrm90001::frmGeracao = nullptr;
        application.ReleaseForm(*previous);
    }
    Cli_zrm90001::frmGeracao = &application.CreateForm<Cli_zrm90001::TfrmGeracao>("frmGeracao", Host);
    Cli_zrm90001::frmGeracao->ShowModal();

    // 8. Back on the screen: the notes grid on its first row.
    cdsNotaFiscalGrid->First();
}

}  // namespace Cli_zrm90000
