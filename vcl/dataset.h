// Client dataset with persistent fields, data sources and data links.
//
// Every verb follows one template: check the state, fire the before-event,
// do the internal step, set the new state, notify the data links, fire the
// after-event.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/component.h"
#include "vcl/data_packet.h"
#include "vcl/filter.h"
#include "vcl/variant.h"

namespace vcl {

class TClientDataSet;
class TDataSource;
class TRecordView;

enum class TDataSetState { Inactive, Browse, Edit, Insert };

// Display-text handler: (field, text, displayText). Sets text.
class TField;
using TFieldGetTextEvent = std::function<void(TField* sender, std::string& text, bool displayText)>;
using TDataSetNotifyEvent = std::function<void(TClientDataSet* dataSet)>;

// A persistent field of a dataset. Values are those of the dataset's current
// row; writing requires the Edit or Insert state (EDatabaseError otherwise).
class TField : public TObject {
public:
    TField(TClientDataSet& dataSet, FieldDef def, int index);

    const std::string& FieldName() const { return def_.name; }
    FieldType DataType() const { return def_.type; }
    int Size() const { return def_.size; }
    const FieldDef& Def() const { return def_; }
    int Index() const { return index_; }
    TClientDataSet& DataSet() const { return dataSet_; }

    // Design-time properties.
    std::string DisplayLabel;   // empty: the field name is shown
    std::string DisplayFormat;  // "#,##0.00" style for floats
    std::string EditMask;       // mask applied by FormatMaskText when shown
    bool Visible = true;
    bool ReadOnly = false;
    bool Required = false;
    TFieldGetTextEvent OnGetText;

    const std::string& ShownLabel() const { return DisplayLabel.empty() ? def_.name : DisplayLabel; }

    Variant Value() const;  // Null when the cell is null or the dataset is empty
    bool IsNull() const;
    std::string AsString() const;
    double AsFloat() const;
    std::int64_t AsInteger() const;
    bool AsBoolean() const;
    TDateTime AsDateTime() const;
    void SetValue(const Variant& value);  // converts to the field's type
    void SetAsString(std::string_view value);
    void SetAsFloat(double value);
    void SetAsInteger(std::int64_t value);
    void SetAsDateTime(TDateTime value);
    void Clear();  // sets Null

    // Text for display: OnGetText when set, else the display format or edit
    // mask applied (floats "1.234,50" with Brazilian separators), dates dd/mm/yyyy.
    std::string DisplayText() const;
    // Text for editing (no display format).
    std::string EditText() const;
    // Parses an editor's text into the field (comma or point decimals); an
    // unconvertible text raises EConvertError naming the field.
    void SetEditText(std::string_view text);

    // Asks the controls that show this field to take the focus on it.
    void FocusControl();

private:
    TClientDataSet& dataSet_;
    FieldDef def_;
    int index_;
};

// Receives a dataset's notifications; controls attach through a data source.
class TDataLink {
public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;
    virtual ~TDataLink();

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* source);
    TClientDataSet* DataSet() const;  // nullptr without a source or dataset
    // Points the dataset's fields at shown row `recNo` (1-based) for as long as
    // the view lives, so a control can draw any row without moving the cursor.
    // EDatabaseError without an open dataset.
    [[nodiscard]] TRecordView ViewRecord(int recNo) const;

    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}   // content, filter or bulk change: refresh all
    virtual void DataSetScrolled() {}  // the current row moved
    virtual void RecordChanged(TField* /*field*/) {}
    virtual void EditingChanged() {}  // state entered or left Edit/Insert
    // Before a post: write a pending editor value into the field.
    virtual void UpdateData() {}
    // A field asks for the focus; set handled when this link's control took it.
    virtual void FocusControl(TField* /*field*/, bool& /*handled*/) {}

private:
    TDataSource* dataSource_ = nullptr;
};

class TDataSource : public TComponent {
public:
    TDataSource(TComponent* owner, std::string name);
    ~TDataSource() override;

    TClientDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TClientDataSet* dataSet);

    const std::vector<TDataLink*>& Links() const { return links_; }

private:
    friend class TDataLink;
    friend class TClientDataSet;
    TClientDataSet* dataSet_ = nullptr;
    std::vector<TDataLink*> links_;
};

struct TLocateOptions {
    bool caseInsensitive = false;
    bool partialKey = false;
};

class DataStore;  // the dataset's row store (dataset_store.h)
struct ColumnTerm;

class TClientDataSet : public TComponent {
public:
    TClientDataSet(TComponent* owner, std::string name);
    ~TClientDataSet() override;

    // Persistent fields, declared by the form resource before opening.
    TField& AddField(FieldDef def);
    const std::vector<std::unique_ptr<TField>>& Fields() const { return fields_; }
    TField* FindField(std::string_view name) const;
    TField& FieldByName(std::string_view name) const;  // EDatabaseError naming field and dataset

    // The whole content as a packet variant; Null when closed.
    Variant Data() const;
    // Null closes. A packet replaces the content, binds the persistent fields
    // by name (extra packet fields are ignored, a missing one raises
    // EDatabaseError naming field and dataset), opens and goes to the first row.
    void SetData(const Variant& data);

    void CreateDataSet();  // open, empty, with the declared fields
    void EmptyDataSet();   // delete every row (the dataset stays open)
    void Open();           // as CreateDataSet when there is no data
    void Close();
    bool Active() const { return state_ != TDataSetState::Inactive; }
    void SetActive(bool active);
    TDataSetState State() const { return state_; }
    // The current row is being edited or inserted.
    bool InEditMode() const { return state_ == TDataSetState::Edit || state_ == TDataSetState::Insert; }
    bool IsEmpty() const;  // true when closed or no row is shown

    void First();
    void Last();
    void Next();
    void Prior();
    void MoveBy(int distance);
    bool Eof() const;
    bool Bof() const;
    int RecNo() const;  // 1-based among the rows shown; 0 when empty
    void SetRecNo(int recNo);
    int RecordCount() const;  // rows shown (filter applied)

    void Insert();  // new row before the current one
    void Append();  // new row at the end
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    // Posts when in Edit or Insert state; nothing otherwise.
    void CheckBrowseMode();

    // Filter: FIELD = 'text' [AND FIELD = 'text']...; quotes doubled inside.
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string filter);  // a malformed text raises EDatabaseError quoting it
    bool Filtered() const { return filtered_; }
    void SetFiltered(bool filtered);

    // keyFields "A;B"; keyValues one per key field (or a single value for one key).
    bool Locate(std::string_view keyFields, const Variant& keyValues, TLocateOptions options = {});

    void DisableControls();
    void EnableControls();  // the last one notifies the links
    bool ControlsDisabled() const { return disableCount_ > 0; }

    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel,
        AfterCancel, BeforeDelete, AfterDelete, BeforeScroll, AfterScroll, AfterOpen, BeforeClose;

    // Store access for the field objects.
    Variant CurrentValue(int fieldIndex) const;
    void SetCurrentValue(int fieldIndex, const Variant& value);
    // Data sources attached to this dataset.
    const std::vector<TDataSource*>& DataSources() const { return sources_; }

    // Bytes held by the row store (columns, order, indexes); 0 when closed.
    std::size_t StoreMemoryBytes() const;

private:
    friend class TDataSource;
    friend class TRecordView;
    // Sets the state and tells the links: ActiveChanged when the dataset opened
    // or closed, EditingChanged when it entered or left Edit/Insert.
    void SetState(TDataSetState state);
    void BeginInsert(bool atEnd);
    enum class LinkEvent {
        ActiveChanged,
        DataSetChanged,
        Scrolled,
        EditingChanged,
        RecordChanged,
        UpdateData
    };

    void CheckActive() const;
    void CheckEditing() const;
    static void Fire(const TDataSetNotifyEvent& event, TClientDataSet* self);
    void NotifyLinks(LinkEvent event, TField* field = nullptr);
    template <class Fn>
    void ForEachLink(Fn&& fn);
    std::size_t ShownCount() const;
    void PlaceFirst();
    void ScrollTo(std::size_t pos);
    void ApplyFilter();
    void ReloadFilterAndGoFirst();
    // The terms of a filter text, parsed once per distinct text (a grid
    // moving over notes sets one text per note, each several times).
    const std::vector<FilterTerm>& ParsedFilter(const std::string& text) const;
    // The terms resolved to field positions; EDatabaseError names an unknown field.
    std::vector<ColumnTerm> ResolveTerms(const std::string& filter) const;
    void DiscardEdit();
    // Readies the edit buffer with no field written (the row's cells stand
    // for every field until one is set).
    void ResetEditBuffer();
    // Whether a field is null in the row being edited: its written value, else its cell.
    bool EditedIsNull(std::size_t fieldIndex) const;
    void ClampAfterRemove();

    std::vector<std::unique_ptr<TField>> fields_;
    std::unique_ptr<DataStore> store_;
    TDataSetState state_ = TDataSetState::Inactive;
    std::string filter_;
    bool filtered_ = false;
    mutable std::optional<std::string> parsedText_;
    mutable std::vector<FilterTerm> parsedTerms_;
    int disableCount_ = 0;
    bool activeWhenDisabled_ = false;
    std::vector<TDataSource*> sources_;
    bool dynamicFields_ = false;  // fields taken from the packet
    std::size_t pos_ = 0;         // current row among the rows shown
    bool bof_ = true;
    bool eof_ = true;
    // The row in edit or insert: only the fields written since Edit/Insert
    // have a value here; the others read the row's cells.
    std::vector<Variant> buffer_;
    std::vector<char> written_;        // per field: buffer_ holds its value
    std::vector<std::size_t> writes_;  // the fields written, in the order first written
    bool modified_ = false;
    std::optional<std::size_t> viewPos_;  // row the fields read instead of pos_ (TRecordView)
};

// While alive, the fields of a dataset read one shown row instead of the
// current one. The cursor stays, no event runs and no link is told; the
// current row reads as it stands (its edit buffer while edited); fields
// cannot be written meanwhile. Views nest.
class TRecordView {
public:
    TRecordView(TClientDataSet& dataSet, int recNo);
    ~TRecordView();
    TRecordView(const TRecordView&) = delete;
    TRecordView& operator=(const TRecordView&) = delete;

private:
    TClientDataSet& dataSet_;
    std::optional<std::size_t> previous_;
};

}  // namespace vcl
