// TDBGrid: columns, selection, keyboard and mouse, in-place editing.
#include "vcl/grid.h"

#include <algorithm>
#include <cctype>

#include "vcl/forms.h"
#include "vcl/utf8.h"

namespace vcl {
namespace {

// Characters a field of this type accepts from the keyboard.
bool AcceptsChar(const TField& field, char ch) {
    const auto u = static_cast<unsigned char>(ch);
    const bool digit = std::isdigit(u) != 0;
    switch (field.DataType()) {
        case FieldType::Integer:
            return digit || ch == '+' || ch == '-';
        case FieldType::Float:
            // The decimal separator is the comma; a point would be read as one too.
            return digit || ch == '+' || ch == '-' || ch == 'e' || ch == 'E' || ch == ',';
        case FieldType::Date:
        case FieldType::DateTime:
            return digit || ch == '/' || ch == ':' || ch == ' ';
        default:
            return true;
    }
}

}  // namespace

// ---- the data link ----

class TDBGrid::Link : public TDataLink {
public:
    explicit Link(TDBGrid& grid) : grid_(grid) {}

    void ActiveChanged() override {
        grid_.CloseEditor();
        grid_.Changed();
    }
    void DataSetChanged() override { EditingChanged(); }
    void DataSetScrolled() override { grid_.Changed(); }
    void RecordChanged(TField* /*field*/) override { grid_.Changed(); }
    void EditingChanged() override {
        if (DataSet() == nullptr || !DataSet()->InEditMode()) {
            grid_.CloseEditor();
        }
        grid_.Changed();
    }
    void UpdateData() override { grid_.WriteEditorToField(); }
    void FocusControl(TField* field, bool& handled) override {
        if (handled || field == nullptr) {
            return;
        }
        for (const auto& column : grid_.columns_) {
            if (column->Visible && column->FieldName == field->FieldName()) {
                grid_.SetSelectedIndex(column->Index());
                if (grid_.ParentForm() != nullptr && grid_.CanFocus()) {
                    grid_.SetFocus();
                }
                handled = true;
                return;
            }
        }
    }

private:
    TDBGrid& grid_;
};

// ---- columns ----

TField* TColumn::Field() const {
    TClientDataSet* ds = grid_.DataSet();
    if (ds == nullptr || !ds->Active()) {
        return nullptr;
    }
    return ds->FindField(FieldName);
}

std::string TColumn::ShownTitle() const {
    if (!Title.Caption.empty()) {
        return Title.Caption;
    }
    if (TClientDataSet* ds = grid_.DataSet(); ds != nullptr) {
        if (TField* field = ds->FindField(FieldName); field != nullptr) {
            return field->ShownLabel();
        }
    }
    return FieldName;
}

int TColumn::ShownWidth() const {
    if (Width > 0) {
        return Width;
    }
    constexpr int kCharWidth = 7, kPadding = 4;
    int characters = 10;
    if (TClientDataSet* ds = grid_.DataSet(); ds != nullptr) {
        if (TField* field = ds->FindField(FieldName); field != nullptr) {
            switch (field->DataType()) {
                case FieldType::String:
                case FieldType::FixedChar:
                    characters = field->Size() > 0 ? field->Size() : 20;
                    break;
                case FieldType::Float:
                    characters = 12;
                    break;
                case FieldType::Boolean:
                    characters = 5;
                    break;
                default:
                    characters = 10;
                    break;
            }
        }
    }
    characters = std::max(characters, static_cast<int>(utf8::Length(ShownTitle())));
    return characters * kCharWidth + kPadding;
}

// ---- grid ----

TDBGrid::TDBGrid(TComponent* owner, std::string name)
    : TWinControl(owner, std::move(name)), link_(std::make_unique<Link>(*this)) {
    TabStop = true;
    Color = clWindow;
    Options = {TGridOption::Editing,      TGridOption::Titles,        TGridOption::Indicator,
               TGridOption::ColumnResize, TGridOption::ColLines,      TGridOption::RowLines,
               TGridOption::Tabs,         TGridOption::ConfirmDelete, TGridOption::CancelOnExit};
}

TDBGrid::~TDBGrid() = default;

TDataSource* TDBGrid::DataSource() const {
    return link_->DataSource();
}

void TDBGrid::SetDataSource(TDataSource* source) {
    link_->SetDataSource(source);
    CloseEditor();
    Changed();
}

TClientDataSet* TDBGrid::DataSet() const {
    return link_->DataSet();
}

TRecordView TDBGrid::ViewRow(int row) const {
    return link_->ViewRecord(row);
}

TColumn& TDBGrid::AddColumn(std::string fieldName) {
    columns_.push_back(std::make_unique<TColumn>(*this, static_cast<int>(columns_.size())));
    columns_.back()->FieldName = std::move(fieldName);
    return *columns_.back();
}

int TDBGrid::SelectedIndex() const {
    if (selected_ >= 0 && selected_ < static_cast<int>(columns_.size()) &&
        columns_[static_cast<std::size_t>(selected_)]->Visible) {
        return selected_;
    }
    const int first = NextVisible(-1, 1);
    return first >= 0 ? first : selected_;
}

TColumn* TDBGrid::SelectedColumn() const {
    const int index = SelectedIndex();
    if (index < 0 || index >= static_cast<int>(columns_.size())) {
        return nullptr;
    }
    return columns_[static_cast<std::size_t>(index)].get();
}

TField* TDBGrid::SelectedField() const {
    TColumn* column = SelectedColumn();
    return column != nullptr ? column->Field() : nullptr;
}

TColumn& TDBGrid::CheckedColumn(int index) const {
    if (index < 0 || index >= static_cast<int>(columns_.size())) {
        throw EInvalidOperation("A grade " + Name() + " não tem a coluna " + std::to_string(index));
    }
    TColumn& column = *columns_[static_cast<std::size_t>(index)];
    if (!column.Visible) {
        throw EInvalidOperation("A coluna " + column.FieldName + " da grade " + Name() + " está oculta");
    }
    return column;
}

int TDBGrid::NextVisible(int from, int step) const {
    for (int i = from + step; i >= 0 && i < static_cast<int>(columns_.size()); i += step) {
        if (columns_[static_cast<std::size_t>(i)]->Visible) {
            return i;
        }
    }
    return -1;
}

void TDBGrid::SetSelectedIndex(int index) {
    CheckedColumn(index);
    if (index == SelectedIndex()) {
        return;
    }
    WriteEditorToField();
    if (OnColExit) {
        OnColExit(this);  // may refuse the move by raising
    }
    CloseEditor();
    selected_ = index;
    Changed();
    if (OnColEnter) {
        OnColEnter(this);
    }
}

bool TDBGrid::CanEditCell() const {
    if (!HasOption(TGridOption::Editing)) {
        return false;
    }
    const TColumn* column = SelectedColumn();
    const TField* field = SelectedField();
    const TClientDataSet* ds = DataSet();
    if (column == nullptr || field == nullptr || ds == nullptr || column->ReadOnly || field->ReadOnly) {
        return false;
    }
    return !ds->IsEmpty() || ds->State() == TDataSetState::Insert;
}

void TDBGrid::OpenEditor(std::string text) {
    TClientDataSet* ds = DataSet();
    if (!ds->InEditMode()) {
        ds->Edit();  // a refused edit leaves the editor closed
    }
    editorMode_ = true;
    editorText_ = std::move(text);
    Changed();
}

void TDBGrid::CloseEditor() {
    editorSelected_ = false;
    if (editorMode_) {
        editorMode_ = false;
        editorText_.clear();
        Changed();
    }
}

void TDBGrid::WriteEditorToField() {
    if (!editorMode_) {
        return;
    }
    TField* field = SelectedField();
    if (field != nullptr && DataSet()->InEditMode() && field->EditText() != editorText_) {
        field->SetEditText(editorText_);
    }
}

void TDBGrid::Changed() {
    if (OnChanged) {
        OnChanged();
    }
}

void TDBGrid::TypeChar(char ch) {
    KeyPress(ch);
}

void TDBGrid::KeyPress(char& key) {
    if (OnKeyPress) {
        OnKeyPress(this, key);
    }
    if (key == 0 || !CanEditCell()) {
        return;
    }
    const TField& field = *SelectedField();
    // A selected editor text is replaced by what is typed next.
    const bool keepText = editorMode_ && !editorSelected_;
    if (static_cast<unsigned char>(key) == vk::Back) {
        editorSelected_ = false;
        OpenEditor(keepText      ? std::string(utf8::DropLast(editorText_))
                   : editorMode_ ? std::string()
                                 : std::string(utf8::DropLast(field.EditText())));
        return;
    }
    if (static_cast<unsigned char>(key) < 32 || !AcceptsChar(field, key)) {
        return;  // Enter, Escape and Tab act as keys; other characters do not fit the field
    }
    std::string text = keepText ? editorText_ + key : std::string(1, key);
    const bool sized = field.DataType() == FieldType::String || field.DataType() == FieldType::FixedChar;
    if (sized && field.Size() > 0 && utf8::Length(text) > static_cast<std::size_t>(field.Size())) {
        return;
    }
    editorSelected_ = false;
    OpenEditor(std::move(text));
}

void TDBGrid::KeyDown(int& key, unsigned shiftState) {
    if (OnKeyDown) {
        OnKeyDown(this, key, shiftState);
    }
    TClientDataSet* ds = DataSet();
    const bool ctrl = (shiftState & shift::Ctrl) != 0;
    switch (key) {
        case vk::Left:
            MoveColumn(-1);
            break;
        case vk::Right:
            MoveColumn(1);
            break;
        case vk::Tab:
            if (HasOption(TGridOption::Tabs)) {
                const int next = NextVisible(SelectedIndex(), (shiftState & shift::Shift) != 0 ? -1 : 1);
                if (next >= 0) {
                    SetSelectedIndex(next);
                    key = 0;  // handled here; at the last column the form moves the focus on
                }
            }
            break;
        case vk::Up:
            MoveRow(-1);
            break;
        case vk::Down:
            MoveRow(1);
            break;
        case vk::Insert:
            if (shiftState == 0 && HasOption(TGridOption::Editing) && ds != nullptr && ds->Active()) {
                ds->CheckBrowseMode();
                ds->Insert();
            }
            break;
        case vk::Delete:
            if (ctrl && ds != nullptr && ds->Active() && !ds->IsEmpty()) {
                CloseEditor();
                ds->Delete();
            }
            break;
        case vk::Escape:
            if (editorMode_ || (ds != nullptr && ds->InEditMode())) {
                CloseEditor();
                if (ds != nullptr && ds->InEditMode()) {
                    ds->Cancel();
                }
                key = 0;  // consumed: the form does not see it
            }
            break;
        case vk::Prior:
            MovePage(-1);
            break;
        case vk::Next:
            MovePage(1);
            break;
        case vk::Home:
        case vk::End:
            if (ctrl) {
                MoveToEnd(key == vk::End);
            } else if (const int edge = key == vk::Home ? NextVisible(-1, 1)
                                                        : NextVisible(static_cast<int>(columns_.size()), -1);
                       edge >= 0) {
                SetSelectedIndex(edge);
            }
            break;
        case vk::Return:
            if (ds != nullptr && ds->InEditMode()) {
                ds->Post();  // the dataset asks the grid for the editor's text first
            }
            break;
        case vk::F2:
            if (!editorMode_ && CanEditCell()) {
                OpenEditor(SelectedField()->EditText());
            }
            break;
        default:
            break;
    }
}

void TDBGrid::MoveColumn(int step) {
    const int next = NextVisible(SelectedIndex(), step);
    if (next >= 0) {
        SetSelectedIndex(next);
    }
}

void TDBGrid::MoveRow(int step) {
    TClientDataSet* ds = DataSet();
    if (ds == nullptr || !ds->Active()) {
        return;
    }
    const bool wasEditing = ds->InEditMode();
    ds->CheckBrowseMode();  // a refused post keeps the row, the column and the editor
    if (step < 0) {
        if (ds->RecNo() > 1) {
            ds->Prior();
        }
    } else if (ds->RecNo() < ds->RecordCount()) {
        ds->Next();
    } else if (wasEditing && HasOption(TGridOption::Editing)) {
        ds->Append();
    }
}

int TDBGrid::VisibleRowCount() const {
    if (RowsInView > 0) {
        return RowsInView;
    }
    constexpr int kBorders = 4;
    const int rowHeight = DefaultRowHeight + 1;  // the row line below
    const int titles = HasOption(TGridOption::Titles) ? rowHeight : 0;
    return std::max(1, (BoundsRect().Height() - kBorders - titles) / rowHeight);
}

void TDBGrid::MovePage(int pages) {
    TClientDataSet* ds = DataSet();
    if (ds == nullptr || !ds->Active()) {
        return;
    }
    ds->CheckBrowseMode();  // a refused post keeps the row
    const int page = VisibleRowCount();
    const int target = std::clamp(ds->RecNo() + pages * page, 1, std::max(1, ds->RecordCount()));
    if (!ds->IsEmpty() && target != ds->RecNo()) {
        ds->SetRecNo(target);
    }
    TopRow = std::clamp(TopRow + pages * page, 1, std::max(1, RowCount() - page + 1));
}

void TDBGrid::MoveToEnd(bool last) {
    TClientDataSet* ds = DataSet();
    if (ds == nullptr || !ds->Active()) {
        return;
    }
    ds->CheckBrowseMode();
    if (last) {
        ds->Last();
    } else {
        ds->First();
    }
}

void TDBGrid::MoveToRow(int row) {
    TClientDataSet* ds = DataSet();
    if (ds == nullptr || !ds->Active()) {
        throw EInvalidOperation("A grade " + Name() + " não mostra um conjunto de dados aberto");
    }
    if (row < 1 || row > ds->RecordCount()) {
        throw EInvalidOperation("A grade " + Name() + " não tem a linha " + std::to_string(row) +
                                " (linhas mostradas: " + std::to_string(ds->RecordCount()) + ")");
    }
    ds->CheckBrowseMode();
    if (ds->RecNo() != row) {
        ds->SetRecNo(row);
    }
}

int TDBGrid::RowCount() const {
    const TClientDataSet* ds = DataSet();
    return ds != nullptr && ds->Active() ? ds->RecordCount() : 0;
}

void TDBGrid::FocusForClick() {
    if (ParentForm() != nullptr && !Focused() && CanFocus()) {
        SetFocus();
    }
}

void TDBGrid::ClickCell(int row, int column) {
    TColumn& clicked = CheckedColumn(column);
    FocusForClick();
    if (ParentForm() != nullptr && !Focused()) {
        return;  // a handler kept the focus elsewhere: the click goes nowhere
    }
    TClientDataSet* ds = DataSet();
    if (ds != nullptr && ds->Active() && !ds->IsEmpty() && row != ds->RecNo()) {
        MoveToRow(row);
    }
    SetSelectedIndex(column);
    if (OnCellClick) {
        OnCellClick(clicked);
    }
}

void TDBGrid::ClickTitle(int column) {
    TColumn& clicked = CheckedColumn(column);
    FocusForClick();
    if (ParentForm() != nullptr && !Focused()) {
        return;
    }
    if (OnTitleClick) {
        OnTitleClick(clicked);
    }
}

}  // namespace vcl
