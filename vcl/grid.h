// Data-aware grid: fixed columns over a data source, keyboard and mouse
// behaviour, in-place editing of the selected cell and owner drawing.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "vcl/controls.h"
#include "vcl/dataset.h"
#include "vcl/graphics.h"

namespace vcl {

class TDBGrid;

enum class TAlignment { LeftJustify, RightJustify, Center };

struct TColumnTitle {
    std::string Caption;  // empty: the field's display label
    TAlignment Alignment = TAlignment::LeftJustify;
    TFont Font;
};

class TColumn {
public:
    TColumn(TDBGrid& grid, int index) : grid_(grid), index_(index) {}
    std::string FieldName;
    TColumnTitle Title;
    TAlignment Alignment = TAlignment::LeftJustify;
    int Width = 0;  // 0: the field's default width
    bool Visible = true;
    bool ReadOnly = false;
    TColor Color = clWindow;

    int Index() const { return index_; }
    TDBGrid& Grid() const { return grid_; }
    TField* Field() const;           // nullptr when the dataset is closed or lacks it
    std::string ShownTitle() const;  // caption, or the field's label, or the field name
    int ShownWidth() const;          // width, or a default from the field's size

private:
    TDBGrid& grid_;
    int index_;
};

enum class TGridOption {
    Editing,
    AlwaysShowEditor,
    Titles,
    Indicator,
    ColumnResize,
    ColLines,
    RowLines,
    Tabs,
    RowSelect,
    AlwaysShowSelection,
    ConfirmDelete,
    CancelOnExit
};
using TGridOptions = std::set<TGridOption>;

enum class TGridDrawState { Selected = 1, Focused = 2 };

using TDrawColumnCellEvent =
    std::function<void(TObject* sender, const TRect& rect, int dataCol, TColumn& column, unsigned state)>;
using TDBGridClickEvent = std::function<void(TColumn& column)>;
using TKeyEvent = std::function<void(TObject* sender, int& key, unsigned shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

class TDBGrid : public TWinControl {
public:
    TDBGrid(TComponent* owner, std::string name);
    ~TDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    TClientDataSet* DataSet() const;

    // Fixed column list (design time).
    TColumn& AddColumn(std::string fieldName);
    std::vector<std::unique_ptr<TColumn>>& Columns() { return columns_; }
    const std::vector<std::unique_ptr<TColumn>>& Columns() const { return columns_; }

    TGridOptions Options;
    bool HasOption(TGridOption option) const { return Options.count(option) > 0; }
    TFont TitleFont;
    TColor SelectionColor = clHighlight;
    int DefaultRowHeight = 17;

    // Selected column, as an index into Columns(); setting it runs column exit
    // (which may refuse by raising) and then column enter.
    // A hidden selected column reads as the first visible one.
    int SelectedIndex() const;
    void SetSelectedIndex(int index);
    TField* SelectedField() const;
    TColumn* SelectedColumn() const;

    // In-place editor: open while editing a cell. Text typed goes to the
    // editor; the field receives it when the dataset posts (UpdateData) or
    // when the editor is closed by a move.
    bool EditorMode() const { return editorMode_; }
    const std::string& EditorText() const { return editorText_; }
    // Selects the whole editor text, as a click into the cell or F2 twice
    // would: the next character typed replaces it.
    void SelectEditorText() { editorSelected_ = editorMode_; }
    // Whether the selected cell accepts editing now.
    bool CanEditCell() const;
    // Types one character as the user would (key-press filter first).
    void TypeChar(char ch);

    // User actions (each runs inside the application's dispatcher).
    // KeyDown, after OnKeyDown (which may change the key): Left/Right and, with
    // the Tabs option, Tab/Shift+Tab move between visible columns (Tab at the
    // last column is left to the form); Up/Down post a pending edit, then move
    // (Down past the last row appends when the row was in edit or insert and
    // editing is on); Insert inserts a row when editing is on; Ctrl+Delete
    // deletes the row; Escape cancels the editor and the row edit (and is
    // then consumed); Enter posts; F2 opens the editor on the cell's text.
    // As the classic grid: Page Up/Down move by the rows on view, Ctrl+Home /
    // Ctrl+End to the first / last row, Home / End to the first / last
    // visible column. Row moves post a pending edit first; a refused post
    // keeps the row.
    // KeyPress, after OnKeyPress (which may discard the char by setting 0):
    // the first character replaces the cell's content (the row goes into
    // edit), later ones append, Backspace removes the last; characters the
    // field's type cannot hold are ignored.
    void KeyDown(int& key, unsigned shift) override;
    void KeyPress(char& key) override;
    void ClickCell(int row, int column);  // row 1-based among rows shown; column index
    void ClickTitle(int column);
    void MoveToRow(int row);  // 1-based among rows shown; posts a pending edit

    // Drawing: default painting then the owner-draw event, for each data cell
    // of the visible rows; the front end calls it with a raster per cell.
    // While the event runs the dataset's fields read the drawn row (the cursor
    // does not move; the current row reads as edited). Returns whether the
    // owner-draw event drew on the canvas, so a front end paints the cells the
    // event left alone its own way.
    bool DrawCell(TCanvas& canvas, const TRect& rect, int row, int column, bool selected);
    // The canvas being drawn on, for the owner-draw event; nullptr outside DrawCell.
    TCanvas* Canvas() const { return canvas_; }
    // The display text of a cell (the editor's text for the cell being edited);
    // row 1-based among rows shown.
    std::string CellText(int row, int column);
    int RowCount() const;  // rows shown; 0 when closed
    // Top visible row (1-based) for front ends that scroll.
    int TopRow = 1;
    // Rows a page holds, as a front end measures them; 0: from Height and
    // DefaultRowHeight (the headless grid's own measure).
    int RowsInView = 0;
    int VisibleRowCount() const;

    TNotifyEvent OnColEnter, OnColExit;
    TDrawColumnCellEvent OnDrawColumnCell;
    TDBGridClickEvent OnCellClick, OnTitleClick;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    bool DefaultDrawing = true;

    // Notified by the grid's data link; front ends re-render on it.
    std::function<void()> OnChanged;

private:
    class Link;

    TColumn& CheckedColumn(int index) const;    // a visible column, or EInvalidOperation
    int NextVisible(int from, int step) const;  // -1 when none
    void MoveColumn(int step);
    void MoveRow(int step);
    void MovePage(int pages);
    void MoveToEnd(bool last);
    void FocusForClick();
    void OpenEditor(std::string text);
    void CloseEditor();
    void WriteEditorToField();
    void Changed();
    bool RowShown(int row) const;  // 1-based among the rows of an open dataset
    // The dataset's fields read `row` while the view lives (through the grid's data link).
    [[nodiscard]] TRecordView ViewRow(int row) const;

    std::unique_ptr<Link> link_;
    std::vector<std::unique_ptr<TColumn>> columns_;
    int selected_ = 0;
    bool editorMode_ = false;
    std::string editorText_;
    bool editorSelected_ = false;
    TCanvas* canvas_ = nullptr;
};

}  // namespace vcl
