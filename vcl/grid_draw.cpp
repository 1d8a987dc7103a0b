// TDBGrid drawing: cell texts and the default painting of a cell, then the
// owner-draw event with the dataset standing on the drawn row.
#include "vcl/forms.h"
#include "vcl/grid.h"

namespace vcl {

// Puts the dataset on another row for the time of a drawing step without
// running its scroll events or refreshing its controls, as painting must not
// look like a user's move. Only possible in browse state (a move would post).
class TDBGrid::RowPeek {
public:
    RowPeek(TDBGrid& grid, TClientDataSet& ds, int row) : grid_(grid), ds_(ds), home_(ds.RecNo()) {
        grid_.painting_ = true;
        beforeScroll_ = std::exchange(ds_.BeforeScroll, nullptr);
        afterScroll_ = std::exchange(ds_.AfterScroll, nullptr);
        ds_.DisableControls();
        ds_.SetRecNo(row);
    }
    ~RowPeek() {
        ds_.SetRecNo(home_);
        ds_.EnableControls();
        ds_.BeforeScroll = std::move(beforeScroll_);
        ds_.AfterScroll = std::move(afterScroll_);
        grid_.painting_ = false;
    }
    RowPeek(const RowPeek&) = delete;
    RowPeek& operator=(const RowPeek&) = delete;

private:
    TDBGrid& grid_;
    TClientDataSet& ds_;
    int home_;
    TDataSetNotifyEvent beforeScroll_, afterScroll_;
};

std::string TDBGrid::CurrentCellText(const TColumn& column) const {
    if (editorMode_ && column.Index() == SelectedIndex()) {
        return editorText_;
    }
    const TField* field = column.Field();
    return field != nullptr ? field->DisplayText() : std::string();
}

std::string TDBGrid::CellText(int row, int column) {
    const TColumn& col = CheckedColumn(column);
    TClientDataSet* ds = DataSet();
    if (ds == nullptr || !ds->Active() || row < 1 || row > ds->RecordCount()) {
        return {};
    }
    if (row == ds->RecNo()) {
        return CurrentCellText(col);
    }
    if (ds->State() == TDataSetState::Browse && !painting_) {
        std::vector<std::string> texts;
        {
            RowPeek peek(*this, *ds, row);
            for (const auto& c : columns_) {
                texts.push_back(CurrentCellText(*c));
            }
        }
        std::string text = texts[static_cast<std::size_t>(column)];
        shownTexts_[row] = std::move(texts);
        return text;
    }
    // The current row is being edited: other rows as they were last drawn.
    auto found = shownTexts_.find(row);
    return found != shownTexts_.end() ? found->second[static_cast<std::size_t>(column)] : std::string();
}

void TDBGrid::DrawCell(TCanvas& canvas, const TRect& rect, int row, int column, bool selected) {
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
    TClientDataSet* ds = DataSet();
    const bool rowShown = ds != nullptr && ds->Active() && row >= 1 && row <= ds->RecordCount();
    if (!OnDrawColumnCell || !rowShown) {
        return;  // the owner-draw event is for data cells only
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
    if (row == ds->RecNo()) {
        OnDrawColumnCell(this, rect, column, col, state);
    } else if (ds->State() == TDataSetState::Browse && !painting_) {
        RowPeek peek(*this, *ds, row);
        OnDrawColumnCell(this, rect, column, col, state);
    }
    // While the current row is edited, other rows keep their default painting.
}

}  // namespace vcl
