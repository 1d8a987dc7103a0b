// Notes grid: the mark column drawn as a check box, marking one note or all,
// the keyboard, and the items filtered to the current note.
#include "remessa/frm_remessa_analise.h"
#include "remessa/note_filter.h"
#include "vcl/forms.h"
#include "vcl/scope_exit.h"
#include "vlm/glyphs.h"

namespace Cli_zrm90000 {

void TfrmRemessaAnalise::dbgNotaFiscalDrawColumnCell(vcl::TObject* Sender, const vcl::TRect& Rect,
                                                     int /*DataCol*/, vcl::TColumn& Column,
                                                     unsigned /*State*/) {
    vcl::TField* field = Column.Field();
    if (cdsNotaFiscalGrid->IsEmpty() || field == nullptr || field->FieldName() != "IDMARCADO")
        return;
    const vcl::TImage* image = field->AsString() == "N" ? imgUncheck : imgCheck;
    const vcl::TBitmap bitmap = image->Picture;
    vcl::TCanvas& canvas = *static_cast<vcl::TDBGrid*>(Sender)->Canvas();
    canvas.FillRect(Rect);
    const int width = bitmap.Width();
    const int height = Rect.Bottom - Rect.Top;
    canvas.BrushCopy(vcl::Bounds(Rect.Left + 1, Rect.Top, width, height), bitmap,
                     vcl::Bounds(0, 0, width, height), vlm::clCheckTransparent);
}

void TfrmRemessaAnalise::dbgNotaFiscalCellClick(vcl::TColumn& /*Column*/) {
    vcl::TField* selected = dbgNotaFiscal->SelectedField();
    if (cdsNotaFiscalGrid->IsEmpty() || selected == nullptr || selected->FieldName() != "IDMARCADO")
        return;
    vcl::TClientDataSet* dataSet = dtsNotaFiscalGrid->DataSet();
    dataSet->DisableControls();
    dataSet->Edit();
    vcl::TField& mark = dataSet->FieldByName("IDMARCADO");
    mark.SetAsString(mark.AsString() == "N" ? "S" : "N");
    dataSet->Post();
    dataSet->EnableControls();
}

void TfrmRemessaAnalise::dbgNotaFiscalTitleClick(vcl::TColumn& Column) {
    vcl::TScreen& screen = Host.Application.Screen();
    screen.Cursor = static_cast<int>(vcl::TCursor::HourGlass);
    vcl::TField* columnField = Column.Field();
    const bool isMark =
        columnField != nullptr ? columnField->FieldName() == "IDMARCADO" : Column.FieldName == "IDMARCADO";
    if (isMark && !cdsNotaFiscalGrid->IsEmpty()) {
        // A quantity still in edit is posted, with its check, before the items
        // grid is frozen: a frozen grid cannot hand over the typed text, and
        // the pass would post the row without it. A refused one stops here.
        if (cdsItensNota->InEditMode()) {
            vcl::RunRecovering([&] { cdsItensNota->Post(); },
                               [&] { screen.Cursor = static_cast<int>(vcl::TCursor::Default); });
        }
        vcl::RunRecovering(
            [&] {
                cdsNotaFiscalGrid->DisableControls();
                cdsItensNota->DisableControls();
                cdsNotaFiscalGrid->First();
                const std::string target =
                    cdsNotaFiscalGrid->FieldByName("IDMARCADO").AsString() == "S" ? "N" : "S";
                cdsNotaFiscalGrid->First();
                while (!cdsNotaFiscalGrid->Eof()) {
                    vcl::TField& mark = cdsNotaFiscalGrid->FieldByName("IDMARCADO");
                    if (mark.AsString() != target) {
                        cdsNotaFiscalGrid->Edit();
                        mark.SetAsString(target);
                        cdsNotaFiscalGrid->Post();
                    } else {
                        cdsNotaFiscalGrid->Next();
                    }
                }
                cdsNotaFiscalGrid->First();
                cdsNotaFiscalGrid->EnableControls();
                cdsItensNota->EnableControls();
            },
            [&] {
                screen.Cursor = static_cast<int>(vcl::TCursor::Default);
                cdsNotaFiscalGrid->First();
                cdsNotaFiscalGrid->EnableControls();
                cdsItensNota->EnableControls();
            });
    }
    screen.Cursor = static_cast<int>(vcl::TCursor::Default);
}

void TfrmRemessaAnalise::dbgNotaFiscalKeyDown(vcl::TObject* Sender, int& Key, unsigned Shift) {
    const bool ctrl = (Shift & vcl::shift::Ctrl) != 0;
    vcl::TField* selected = dbgNotaFiscal->SelectedField();
    if (Sender == dbgNotaFiscal && Key == vcl::vk::Space && selected != nullptr &&
        selected->FieldName() == "IDMARCADO") {
        if (ctrl) {
            dbgNotaFiscalTitleClick(
                *dbgNotaFiscal->Columns()[vlm::TConsiste::IndiceCol(dbgNotaFiscal, "IDMARCADO")]);
        } else {
            dbgNotaFiscalCellClick(*dbgNotaFiscal->Columns()[0]);
        }
    }
    if (ctrl && Key == vcl::vk::Delete)
        Key = 0;
}

void TfrmRemessaAnalise::cdsNotaFiscalGridAfterScroll(vcl::TClientDataSet* /*DataSet*/) {
    if (restoringNote_)
        return;
    // A pending quantity is posted before the items follow the new note. Its
    // post moves the notes back to the item's own note; the notes then return
    // to the note the user moved to. A refused post brings the notes back to
    // the item's note, where the refused value waits in the items grid.
    if (cdsItensNota->InEditMode()) {
        const std::string cdFilial = cdsNotaFiscalGrid->FieldByName("CDFILIAL").AsString();
        const std::string nrLanctoNf = cdsNotaFiscalGrid->FieldByName("NRLANCTONF").AsString();
        vcl::RunRecovering([&] { cdsItensNota->Post(); },
                           [&] {
                               restoringNote_ = true;
                               vcl::Finally done([&] { restoringNote_ = false; });
                               cdsNotaFiscalGrid->Locate(
                                   "CDFILIAL;NRLANCTONF",
                                   vcl::VariantArray{cdsItensNota->FieldByName("CDFILIAL").AsString(),
                                                     cdsItensNota->FieldByName("NRLANCTONF").AsString()});
                           });
        if (cdsNotaFiscalGrid->FieldByName("CDFILIAL").AsString() != cdFilial ||
            cdsNotaFiscalGrid->FieldByName("NRLANCTONF").AsString() != nrLanctoNf) {
            cdsNotaFiscalGrid->Locate("CDFILIAL;NRLANCTONF", vcl::VariantArray{cdFilial, nrLanctoNf});
            return;  // that move filtered the items
        }
    }
    cdsItensNota->DisableControls();
    cdsItensNota->SetFiltered(false);
    cdsItensNota->SetFilter(NoteFilter(cdsNotaFiscalGrid->FieldByName("CDFILIAL").AsString(),
                                       cdsNotaFiscalGrid->FieldByName("NRLANCTONF").AsString()));
    cdsItensNota->SetFiltered(true);
    cdsItensNota->EnableControls();
}

}  // namespace Cli_zrm90000
