// TDBGrid drawing: cell texts and the default painting of a cell, then the
// owner-draw event with the dataset's fields reading the drawn row.
#include "vcl/forms.h"
#include "vcl/grid.h"

namespace vcl {

bool TDBGrid::RowShown(int row) const {
    const TClientDataSet* ds = DataSet();
    return ds != nullptr && ds->Active() && row >= 1 && row <= ds->RecordCount();
}

std::string TDBGrid::CellText(int row, int column) {
    const TColumn& col = CheckedColumn(column);
    if (!RowShown(row)) {
        return {};
    }
    if (editorMode_ && row == DataSet()->RecNo() && column == SelectedIndex()) {
        return editorText_;
    }
    const TField* field = col.Field();
    if (field == nullptr) {
        return {};
    }
    const TRecordView view = ViewRow(row);
    return field->DisplayText();
}

bool TDBGrid::DrawCell(TCanvas& canvas, const TRect& rect, int row, int column, bool selected) {
    TColumn& col = CheckedColumn(column);
    const TColor background = selected ? SelectionColor : col.Color;
    const std::string text = CellText(row, column);

    canvas.Brush.Color = background;
    canvas.Font = Font;
    canvas.Font.Color = selected ? clHighlightText : Font.Color;
    if (DefaultDrawing) {
        constexpr int kMargin = 2;
        const int width = canvas.TextWidth(text);
        int x = rect.Left + kMargin;
        if (col.Alignment == TAlignment::RightJustify) {
            x = rect.Right - kMargin - width;
        } else if (col.Alignment == TAlignment::Center) {
            x = rect.Left + (rect.Width() - width) / 2;
        }
        const int y = rect.Top + (rect.Height() - canvas.TextHeight(text)) / 2;
        canvas.TextRect(rect, x, y, text);
    } else {
        canvas.FillRect(rect);
    }
    if (!OnDrawColumnCell || !RowShown(row)) {
        return false;  // the owner-draw event is for data cells only
    }
    canvas.Brush.Color = background;
    struct CanvasScope {
        TCanvas*& slot;
        ~CanvasScope() { slot = nullptr; }
    } canvasScope{canvas_};
    canvas_ = &canvas;
    const unsigned state = selected ? static_cast<unsigned>(TGridDrawState::Selected) |
                                          (Focused() ? static_cast<unsigned>(TGridDrawState::Focused) : 0u)
                                    : 0u;
    const int drawnBefore = canvas.DrawCount();
    const TRecordView view = ViewRow(row);
    OnDrawColumnCell(this, rect, column, col, state);
    return canvas.DrawCount() != drawnBefore;
}

}  // namespace vcl
