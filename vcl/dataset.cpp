// TClientDataSet: opening, closing, navigation, filters, locate and the
// notification of data links. The editing verbs are in dataset_edit.cpp.
#include <algorithm>
#include <cstdint>

#include "vcl/dataset.h"
#include "vcl/dataset_store.h"
#include "vcl/exceptions.h"
#include "vcl/filter.h"
#include "vcl/text_format.h"

namespace vcl {
namespace {

// Resolves filter terms to field positions in `defs`; EDatabaseError names
// the unknown field and quotes the filter.
std::vector<ColumnTerm> ResolveFilterTerms(const std::string& dataSetName, const std::vector<FieldDef>& defs,
                                           const std::vector<FilterTerm>& parsed, const std::string& filter) {
    std::vector<ColumnTerm> terms;
    for (const FilterTerm& term : parsed) {
        int index = -1;
        for (std::size_t i = 0; i < defs.size() && index < 0; ++i)
            if (EqualsIgnoreCase(defs[i].name, term.field))
                index = static_cast<int>(i);
        if (index < 0)
            throw EDatabaseError(dataSetName + ": campo '" + term.field + "' não encontrado no filtro '" +
                                 filter + "'");
        terms.push_back({index, term.value});
    }
    return terms;
}

bool SameDefs(const std::vector<std::unique_ptr<TField>>& fields, const std::vector<FieldDef>& defs) {
    if (fields.size() != defs.size())
        return false;
    for (std::size_t i = 0; i < defs.size(); ++i)
        if (!(fields[i]->Def() == defs[i]))
            return false;
    return true;
}

// A packet column converted to a field's type, when the storage differs.
std::shared_ptr<Column> ConvertedColumn(const Column& source, const FieldDef& def, std::size_t rows) {
    auto column = std::make_shared<Column>(def);
    column->Reserve(rows);
    for (std::size_t r = 0; r < rows; ++r)
        column->Append(source.Value(r));
    return column;
}

bool Convertible(FieldType from, FieldType to) {
    if (IsStringType(from) && IsStringType(to))
        return true;
    if (from == to)
        return true;
    if (to == FieldType::Float && from == FieldType::Integer)
        return true;
    if ((to == FieldType::Date || to == FieldType::DateTime) &&
        (from == FieldType::Date || from == FieldType::DateTime))
        return true;
    return false;
}

}  // namespace

TClientDataSet::TClientDataSet(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}

TClientDataSet::~TClientDataSet() {
    for (TDataSource* source : sources_)
        source->dataSet_ = nullptr;
}

TField& TClientDataSet::AddField(FieldDef def) {
    if (Active())
        throw EDatabaseError(Name() + ": não é possível incluir um campo em um conjunto de dados aberto");
    if (FindField(def.name) != nullptr)
        throw EDatabaseError(Name() + ": nome de campo repetido '" + def.name + "'");
    if (dynamicFields_) {
        fields_.clear();
        dynamicFields_ = false;
    }
    const int index = static_cast<int>(fields_.size());
    fields_.push_back(std::make_unique<TField>(*this, std::move(def), index));
    return *fields_.back();
}

TField* TClientDataSet::FindField(std::string_view name) const {
    for (const auto& field : fields_)
        if (EqualsIgnoreCase(field->FieldName(), name))
            return field.get();
    return nullptr;
}

TField& TClientDataSet::FieldByName(std::string_view name) const {
    TField* field = FindField(name);
    if (field == nullptr)
        throw EDatabaseError(Name() + ": campo '" + std::string(name) + "' não encontrado");
    return *field;
}

std::size_t TClientDataSet::StoreMemoryBytes() const {
    return store_ ? store_->MemoryBytes() : 0;
}

// ---- notifications ----

void TClientDataSet::Fire(const TDataSetNotifyEvent& event, TClientDataSet* self) {
    if (event)
        event(self);
}

template <class Fn>
void TClientDataSet::ForEachLink(Fn&& fn) {
    // Copies: a handler may attach or detach links while we notify.
    const std::vector<TDataSource*> sources = sources_;
    for (TDataSource* source : sources) {
        if (std::find(sources_.begin(), sources_.end(), source) == sources_.end())
            continue;
        const std::vector<TDataLink*> links = source->links_;
        for (TDataLink* link : links) {
            if (std::find(source->links_.begin(), source->links_.end(), link) == source->links_.end())
                continue;
            fn(*link);
        }
    }
}

void TClientDataSet::NotifyLinks(LinkEvent event, TField* field) {
    // A frozen display still hands over a pending editor value: it is what the
    // user typed, and the record about to be stored must carry it.
    if (disableCount_ > 0 && event != LinkEvent::UpdateData)
        return;
    ForEachLink([&](TDataLink& link) {
        switch (event) {
            case LinkEvent::ActiveChanged:
                link.ActiveChanged();
                break;
            case LinkEvent::DataSetChanged:
                link.DataSetChanged();
                break;
            case LinkEvent::Scrolled:
                link.DataSetScrolled();
                break;
            case LinkEvent::EditingChanged:
                link.EditingChanged();
                break;
            case LinkEvent::RecordChanged:
                link.RecordChanged(field);
                break;
            case LinkEvent::UpdateData:
                link.UpdateData();
                break;
        }
    });
}

void TClientDataSet::SetState(TDataSetState state) {
    if (state == state_)
        return;
    const bool wasActive = Active();
    const bool wasEditing = InEditMode();
    state_ = state;
    if (wasActive != Active()) {
        NotifyLinks(LinkEvent::ActiveChanged);
    } else if (wasEditing != InEditMode()) {
        NotifyLinks(LinkEvent::EditingChanged);
    }
}

// ---- reading another row ----

TRecordView::TRecordView(TClientDataSet& dataSet, int recNo)
    : dataSet_(dataSet), previous_(dataSet.viewPos_) {
    // A row outside the shown ones reads as Null.
    dataSet_.viewPos_ = recNo >= 1 ? static_cast<std::size_t>(recNo - 1) : SIZE_MAX;
}

TRecordView::~TRecordView() {
    dataSet_.viewPos_ = previous_;
}

TRecordView TDataLink::ViewRecord(int recNo) const {
    TClientDataSet* dataSet = DataSet();
    if (dataSet == nullptr || !dataSet->Active())
        throw EDatabaseError("Nenhum conjunto de dados aberto para ler a linha " + std::to_string(recNo));
    return TRecordView(*dataSet, recNo);
}

void TClientDataSet::DisableControls() {
    if (disableCount_++ == 0)
        activeWhenDisabled_ = Active();
}

void TClientDataSet::EnableControls() {
    if (disableCount_ == 0)
        return;
    if (--disableCount_ > 0)
        return;
    NotifyLinks(activeWhenDisabled_ != Active() ? LinkEvent::ActiveChanged : LinkEvent::DataSetChanged);
}

// ---- state checks ----

void TClientDataSet::CheckActive() const {
    if (!Active())
        throw EDatabaseError(Name() + ": operação não permitida com o conjunto de dados fechado");
}

void TClientDataSet::CheckEditing() const {
    if (!InEditMode())
        throw EDatabaseError(Name() + ": o conjunto de dados não está em edição nem em inclusão");
}

std::size_t TClientDataSet::ShownCount() const {
    return store_ ? store_->Shown() : 0;
}

// ---- open and close ----

Variant TClientDataSet::Data() const {
    if (!Active())
        return Variant::Null();
    return Variant(store_->ToPacket());
}

void TClientDataSet::SetData(const Variant& data) {
    if (data.IsEmpty()) {
        Close();
        return;
    }
    if (!data.IsPacket())
        throw EDatabaseError(Name() + ": pacote de dados inválido");
    const DataPacket& packet = data.AsPacket();
    const PacketStore& source = *packet.Store();

    // Bind everything before touching the dataset, so a refused packet changes nothing.
    const bool takePacketFields = fields_.empty() || dynamicFields_;
    std::vector<FieldDef> defs;
    std::vector<int> columnOfField;
    std::vector<std::shared_ptr<Column>> converted;
    if (takePacketFields) {
        defs = source.fields;
        for (std::size_t i = 0; i < defs.size(); ++i)
            columnOfField.push_back(static_cast<int>(i));
    } else {
        for (const auto& field : fields_) {
            const int column = source.FieldIndex(field->FieldName());
            if (column < 0)
                throw EDatabaseError(Name() + ": campo '" + field->FieldName() +
                                     "' não encontrado no pacote de dados");
            const FieldType from = source.fields[static_cast<std::size_t>(column)].type;
            if (!Convertible(from, field->DataType()))
                throw EDatabaseError(Name() + ": tipo incompatível no campo '" + field->FieldName() +
                                     "': esperado " + std::string(FieldTypeName(field->DataType())) +
                                     ", recebido " + std::string(FieldTypeName(from)));
            defs.push_back(field->Def());
            columnOfField.push_back(column);
        }
    }
    std::vector<ColumnTerm> terms;
    const bool filterOn = filtered_;
    if (filterOn)
        terms = ResolveFilterTerms(Name(), defs, ParsedFilter(filter_), filter_);

    PacketStore bound;
    bound.fields = source.fields;
    bound.columns = source.columns;
    bound.rows = source.rows;
    for (std::size_t i = 0; i < defs.size(); ++i) {
        auto& column = bound.columns[static_cast<std::size_t>(columnOfField[i])];
        const bool sameStorage = IsStringType(column->Def().type) == IsStringType(defs[i].type) &&
                                 (IsStringType(defs[i].type) || column->Def().type == defs[i].type);
        if (!sameStorage)
            column = ConvertedColumn(*column, defs[i], source.rows);
    }
    auto store = std::make_unique<DataStore>(bound, defs, columnOfField);

    if (Active()) {
        Fire(BeforeClose, this);
        DiscardEdit();
    }
    const bool wasActive = Active();
    if (takePacketFields && !SameDefs(fields_, defs)) {
        fields_.clear();
        for (std::size_t i = 0; i < defs.size(); ++i)
            fields_.push_back(std::make_unique<TField>(*this, defs[i], static_cast<int>(i)));
        dynamicFields_ = true;
    }
    store_ = std::move(store);
    if (filterOn)
        store_->SetFilter(std::move(terms));
    PlaceFirst();
    SetState(TDataSetState::Browse);
    if (wasActive)
        NotifyLinks(LinkEvent::DataSetChanged);
    Fire(AfterOpen, this);
    if (!IsEmpty())
        Fire(AfterScroll, this);
}

void TClientDataSet::CreateDataSet() {
    std::vector<FieldDef> defs;
    for (const auto& field : fields_)
        defs.push_back(field->Def());
    std::vector<ColumnTerm> terms;
    if (filtered_)
        terms = ResolveTerms(filter_);
    if (Active()) {
        Fire(BeforeClose, this);
        DiscardEdit();
    }
    const bool wasActive = Active();
    store_ = std::make_unique<DataStore>(std::move(defs));
    if (filtered_)
        store_->SetFilter(std::move(terms));
    PlaceFirst();
    SetState(TDataSetState::Browse);
    if (wasActive)
        NotifyLinks(LinkEvent::DataSetChanged);
    Fire(AfterOpen, this);
}

void TClientDataSet::EmptyDataSet() {
    CheckActive();
    CheckBrowseMode();
    std::vector<FieldDef> defs = store_->Fields();
    auto store = std::make_unique<DataStore>(std::move(defs));
    if (filtered_)
        store->SetFilter(ResolveTerms(filter_));
    store_ = std::move(store);
    PlaceFirst();
    NotifyLinks(LinkEvent::DataSetChanged);
}

void TClientDataSet::Open() {
    if (!Active())
        CreateDataSet();
}

void TClientDataSet::Close() {
    if (!Active())
        return;
    Fire(BeforeClose, this);
    DiscardEdit();
    store_.reset();
    pos_ = 0;
    bof_ = eof_ = true;
    SetState(TDataSetState::Inactive);
}

void TClientDataSet::SetActive(bool active) {
    if (active) {
        Open();
    } else {
        Close();
    }
}

bool TClientDataSet::IsEmpty() const {
    return !Active() || ShownCount() == 0;
}

// ---- navigation ----

void TClientDataSet::PlaceFirst() {
    pos_ = 0;
    bof_ = true;
    eof_ = ShownCount() == 0;
}

bool TClientDataSet::Eof() const {
    return !Active() || eof_;
}
bool TClientDataSet::Bof() const {
    return !Active() || bof_;
}
int TClientDataSet::RecNo() const {
    return ShownCount() == 0 ? 0 : static_cast<int>(pos_) + 1;
}
int TClientDataSet::RecordCount() const {
    return static_cast<int>(ShownCount());
}

void TClientDataSet::ScrollTo(std::size_t pos) {
    Fire(BeforeScroll, this);
    const bool moved = pos != pos_;
    pos_ = pos;
    bof_ = eof_ = false;
    if (moved)
        NotifyLinks(LinkEvent::Scrolled);
    Fire(AfterScroll, this);
}

void TClientDataSet::First() {
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    const bool moved = pos_ != 0;
    PlaceFirst();
    if (moved)
        NotifyLinks(LinkEvent::Scrolled);
    Fire(AfterScroll, this);
}

void TClientDataSet::Last() {
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    const std::size_t count = ShownCount();
    const std::size_t target = count == 0 ? 0 : count - 1;
    const bool moved = pos_ != target;
    pos_ = target;
    eof_ = true;
    bof_ = count == 0;
    if (moved)
        NotifyLinks(LinkEvent::Scrolled);
    Fire(AfterScroll, this);
}

void TClientDataSet::MoveBy(int distance) {
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    const std::size_t count = ShownCount();
    const std::size_t before = pos_;
    if (distance > 0) {
        bof_ = count == 0;
        const auto room = count == 0 ? 0 : count - 1 - pos_;
        if (static_cast<std::size_t>(distance) > room) {
            pos_ += room;
            eof_ = true;
        } else {
            pos_ += static_cast<std::size_t>(distance);
        }
    } else if (distance < 0) {
        eof_ = count == 0;
        const auto back = static_cast<std::size_t>(-static_cast<long long>(distance));
        if (back > pos_) {
            pos_ = 0;
            bof_ = true;
        } else {
            pos_ -= back;
        }
    }
    if (pos_ != before)
        NotifyLinks(LinkEvent::Scrolled);
    Fire(AfterScroll, this);
}

void TClientDataSet::Next() {
    MoveBy(1);
}
void TClientDataSet::Prior() {
    MoveBy(-1);
}

void TClientDataSet::SetRecNo(int recNo) {
    CheckActive();
    CheckBrowseMode();
    if (recNo < 1 || static_cast<std::size_t>(recNo) > ShownCount())
        return;
    if (static_cast<std::size_t>(recNo - 1) == pos_)
        return;
    ScrollTo(static_cast<std::size_t>(recNo - 1));
}

// ---- filter ----

void TClientDataSet::ApplyFilter() {
    if (!store_)
        return;
    if (filtered_) {
        store_->SetFilter(ResolveTerms(filter_));
    } else {
        store_->SetFilter(std::nullopt);
    }
}

void TClientDataSet::ReloadFilterAndGoFirst() {
    ApplyFilter();
    Fire(BeforeScroll, this);
    PlaceFirst();
    NotifyLinks(LinkEvent::DataSetChanged);
    Fire(AfterScroll, this);
}

const std::vector<FilterTerm>& TClientDataSet::ParsedFilter(const std::string& text) const {
    if (parsedText_ != text) {
        parsedTerms_ = ParseFilter(text);  // raises before the cache changes
        parsedText_ = text;
    }
    return parsedTerms_;
}

std::vector<ColumnTerm> TClientDataSet::ResolveTerms(const std::string& filter) const {
    std::vector<FieldDef> defs;
    defs.reserve(fields_.size());
    for (const auto& field : fields_)
        defs.push_back(field->Def());
    return ResolveFilterTerms(Name(), defs, ParsedFilter(filter), filter);
}

void TClientDataSet::SetFilter(std::string filter) {
    ParsedFilter(filter);  // a malformed text changes nothing
    if (!fields_.empty())
        ResolveTerms(filter);
    if (Active())
        CheckBrowseMode();
    if (filter == filter_)
        return;
    filter_ = std::move(filter);
    if (Active() && filtered_)
        ReloadFilterAndGoFirst();
}

void TClientDataSet::SetFiltered(bool filtered) {
    if (filtered == filtered_)
        return;
    if (Active()) {
        CheckBrowseMode();
        if (filtered)
            ResolveTerms(filter_);
    }
    filtered_ = filtered;
    if (Active())
        ReloadFilterAndGoFirst();
}

// ---- locate ----

bool TClientDataSet::Locate(std::string_view keyFields, const Variant& keyValues, TLocateOptions options) {
    CheckActive();
    std::vector<TField*> fields;
    std::size_t start = 0;
    while (start <= keyFields.size()) {
        const std::size_t semi = std::min(keyFields.find(';', start), keyFields.size());
        const std::string_view name = Trim(keyFields.substr(start, semi - start));
        if (!name.empty())
            fields.push_back(&FieldByName(name));
        start = semi + 1;
    }
    if (fields.empty())
        throw EDatabaseError(Name() + ": nenhum campo-chave para localizar");
    std::vector<LocateKey> keys;
    if (fields.size() == 1) {
        const Variant& value = keyValues.IsArray() && keyValues.ArrayLength() == 1 ? keyValues[0] : keyValues;
        keys.push_back({fields[0]->Index(), value});
    } else {
        if (!keyValues.IsArray() || keyValues.ArrayLength() != fields.size())
            throw EDatabaseError(Name() + ": a localização requer um valor por campo-chave");
        for (std::size_t i = 0; i < fields.size(); ++i)
            keys.push_back({fields[i]->Index(), keyValues[i]});
    }
    CheckBrowseMode();
    const auto found = store_->Locate(keys, options);
    if (!found)
        return false;
    ScrollTo(*found);
    return true;
}

}  // namespace vcl
