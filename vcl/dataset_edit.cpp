// TClientDataSet editing verbs. Each one: check the state, fire the
// before-event, do the internal step, set the new state, notify the links,
// fire the after-event.
#include "vcl/dataset.h"
#include "vcl/dataset_store.h"
#include "vcl/exceptions.h"
#include "vcl/packet_store.h"
#include "vcl/text_format.h"
#include "vcl/utf8.h"

namespace vcl {

Variant TClientDataSet::CurrentValue(int fieldIndex) const {
    if (!Active() || fieldIndex < 0 || static_cast<std::size_t>(fieldIndex) >= fields_.size())
        return Variant::Null();
    const std::size_t pos = viewPos_.value_or(pos_);
    if (pos == pos_ && InEditMode() && static_cast<std::size_t>(fieldIndex) < written_.size() &&
        written_[static_cast<std::size_t>(fieldIndex)])
        return buffer_[static_cast<std::size_t>(fieldIndex)];
    if (pos >= ShownCount())
        return Variant::Null();
    return store_->Value(store_->ShownRow(pos), fieldIndex);
}

void TClientDataSet::SetCurrentValue(int fieldIndex, const Variant& value) {
    CheckActive();
    CheckEditing();
    if (viewPos_ && *viewPos_ != pos_)
        throw EDatabaseError(Name() + ": não é possível alterar um campo enquanto outra linha é lida");
    TField& field = *fields_.at(static_cast<std::size_t>(fieldIndex));
    Variant stored = Variant::Null();
    if (!value.IsEmpty()) {
        if (IsStringType(field.DataType())) {
            if (value.IsArray() || value.IsPacket())
                throw EConvertError("O campo '" + field.FieldName() + "' não aceita uma lista nem um pacote");
            std::string text = value.AsString();
            if (field.Size() > 0 && utf8::Length(text) > static_cast<std::size_t>(field.Size()))
                text = std::string(utf8::Prefix(text, static_cast<std::size_t>(field.Size())));
            stored = Variant(std::move(text));
        } else {
            std::int64_t raw = 0;
            try {
                ConvertToRaw(field.DataType(), value, raw);
            } catch (const EConvertError& error) {
                throw EConvertError(std::string(error.what()) + " no campo '" + field.FieldName() + "'");
            }
            stored = RawToVariant(field.DataType(), raw);
        }
    }
    const auto index = static_cast<std::size_t>(fieldIndex);
    if (written_.size() < fields_.size()) {  // a field declared while editing
        buffer_.resize(fields_.size(), Variant::Null());
        written_.resize(fields_.size(), 0);
    }
    buffer_[index] = std::move(stored);
    if (!written_[index]) {
        written_[index] = 1;
        writes_.push_back(index);
    }
    modified_ = true;
    NotifyLinks(LinkEvent::RecordChanged, &field);
}

void TClientDataSet::ResetEditBuffer() {
    if (written_.size() != fields_.size()) {
        buffer_.assign(fields_.size(), Variant::Null());
        written_.assign(fields_.size(), 0);
        writes_.clear();
    }
    for (const std::size_t index : writes_) {
        written_[index] = 0;
        buffer_[index] = Variant::Null();
    }
    writes_.clear();
    modified_ = false;
}

bool TClientDataSet::EditedIsNull(std::size_t fieldIndex) const {
    if (fieldIndex < written_.size() && written_[fieldIndex])
        return buffer_[fieldIndex].IsEmpty();
    return store_->IsNull(store_->ShownRow(pos_), static_cast<int>(fieldIndex));
}

void TClientDataSet::DiscardEdit() {
    if (state_ == TDataSetState::Insert && store_ && store_->Pending()) {
        store_->Remove(pos_);
        ClampAfterRemove();
    }
    ResetEditBuffer();
    if (InEditMode())
        SetState(TDataSetState::Browse);
}

void TClientDataSet::ClampAfterRemove() {
    const std::size_t count = ShownCount();
    if (count == 0) {
        pos_ = 0;
        bof_ = eof_ = true;
    } else if (pos_ >= count) {
        pos_ = count - 1;
        eof_ = true;
        bof_ = false;
    } else {
        bof_ = eof_ = false;
    }
}

void TClientDataSet::CheckBrowseMode() {
    if (!InEditMode())
        return;
    NotifyLinks(LinkEvent::UpdateData);
    if (modified_) {
        Post();
    } else {
        Cancel();
    }
}

void TClientDataSet::Insert() {
    BeginInsert(false);
}

void TClientDataSet::Append() {
    BeginInsert(true);
}

// A new row before the current one, or at the end: the insert state with an
// empty record buffer.
void TClientDataSet::BeginInsert(bool atEnd) {
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeInsert, this);
    Fire(BeforeScroll, this);
    const std::size_t at = atEnd || ShownCount() == 0 ? ShownCount() : pos_;
    store_->InsertPending(at);
    pos_ = at;
    bof_ = false;
    eof_ = atEnd;
    ResetEditBuffer();
    SetState(TDataSetState::Insert);
    NotifyLinks(LinkEvent::DataSetChanged);
    Fire(AfterInsert, this);
    Fire(AfterScroll, this);
}

void TClientDataSet::Edit() {
    CheckActive();
    if (InEditMode())
        return;
    if (ShownCount() == 0) {
        Insert();
        return;
    }
    Fire(BeforeEdit, this);
    ResetEditBuffer();
    SetState(TDataSetState::Edit);
    Fire(AfterEdit, this);
}

void TClientDataSet::Post() {
    CheckActive();
    CheckEditing();
    NotifyLinks(LinkEvent::UpdateData);
    Fire(BeforePost, this);
    for (const auto& field : fields_) {
        if (field->Required && EditedIsNull(static_cast<std::size_t>(field->Index())))
            throw EDatabaseError("O campo '" + field->FieldName() + "' deve ser preenchido");
    }
    const bool wasInsert = state_ == TDataSetState::Insert;
    const RowId row = store_->ShownRow(pos_);
    store_->Commit(row, writes_, buffer_);
    ResetEditBuffer();
    SetState(TDataSetState::Browse);
    bool left = false;
    if (filtered_ && !store_->Matches(row)) {
        store_->HideShown(pos_);  // the row no longer passes the filter
        ClampAfterRemove();
        left = true;
    }
    NotifyLinks(LinkEvent::DataSetChanged);
    Fire(AfterPost, this);
    if (wasInsert || left)
        Fire(AfterScroll, this);
}

void TClientDataSet::Cancel() {
    if (!InEditMode())
        return;
    Fire(BeforeCancel, this);
    const bool wasInsert = state_ == TDataSetState::Insert;
    DiscardEdit();
    NotifyLinks(LinkEvent::DataSetChanged);
    Fire(AfterCancel, this);
    if (wasInsert)
        Fire(AfterScroll, this);
}

void TClientDataSet::Delete() {
    CheckActive();
    if (state_ == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (ShownCount() == 0)
        throw EDatabaseError(Name() + ": operação não permitida com o conjunto de dados vazio");
    Fire(BeforeDelete, this);
    Fire(BeforeScroll, this);
    if (state_ == TDataSetState::Edit) {
        ResetEditBuffer();
        SetState(TDataSetState::Browse);
    }
    store_->Remove(pos_);
    ClampAfterRemove();
    NotifyLinks(LinkEvent::DataSetChanged);
    Fire(AfterDelete, this);
    Fire(AfterScroll, this);
}

}  // namespace vcl
