#include "vcl/dataset.h"
#include "vcl/exceptions.h"
#include "vcl/mask_text.h"
#include "vcl/packet_store.h"
#include "vcl/text_format.h"

namespace vcl {

TField::TField(TClientDataSet& dataSet, FieldDef def, int index)
    : dataSet_(dataSet), def_(std::move(def)), index_(index) {}

Variant TField::Value() const {
    return dataSet_.CurrentValue(index_);
}
bool TField::IsNull() const {
    return Value().IsEmpty();
}

std::string TField::AsString() const {
    const Variant value = Value();
    if (value.IsEmpty())
        return {};
    if (def_.type == FieldType::Date)
        return value.AsDate().ToBr();
    return value.AsString();
}

double TField::AsFloat() const {
    return Value().AsFloat();
}
std::int64_t TField::AsInteger() const {
    return Value().AsInteger();
}
bool TField::AsBoolean() const {
    return Value().AsBoolean();
}
TDateTime TField::AsDateTime() const {
    return Value().AsDateTime();
}

void TField::SetValue(const Variant& value) {
    dataSet_.SetCurrentValue(index_, value);
}
void TField::SetAsString(std::string_view value) {
    if (IsStringType(def_.type)) {
        SetValue(Variant(value));
    } else {
        SetEditText(value);
    }
}
void TField::SetAsFloat(double value) {
    SetValue(Variant(value));
}
void TField::SetAsInteger(std::int64_t value) {
    SetValue(Variant(value));
}
void TField::SetAsDateTime(TDateTime value) {
    SetValue(Variant(value));
}
void TField::Clear() {
    SetValue(Variant::Null());
}

std::string TField::DisplayText() const {
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField*>(this), text, true);
        return text;
    }
    const Variant value = Value();
    if (value.IsEmpty())
        return {};
    switch (def_.type) {
        case FieldType::Float:
            return DisplayFormat.empty() ? FloatToBrText(value.AsFloat())
                                         : FormatFloat(DisplayFormat, value.AsFloat());
        case FieldType::Integer:
            return DisplayFormat.empty() ? value.AsString()
                                         : FormatFloat(DisplayFormat, static_cast<double>(value.AsInteger()));
        case FieldType::String:
        case FieldType::FixedChar:
            return EditMask.empty() ? value.AsString() : FormatMaskText(EditMask, value.AsString());
        case FieldType::Date:
            return value.AsDate().ToBr();
        case FieldType::DateTime:
            return value.AsDateTime().ToBr();
        case FieldType::Boolean:
            return value.AsString();
    }
    return value.AsString();
}

std::string TField::EditText() const {
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField*>(this), text, false);
        return text;
    }
    const Variant value = Value();
    if (value.IsEmpty())
        return {};
    switch (def_.type) {
        case FieldType::Float:
            return FloatToBrText(value.AsFloat());
        case FieldType::Date:
            return value.AsDate().ToBr();
        case FieldType::DateTime:
            return value.AsDateTime().ToBr();
        default:
            return value.AsString();
    }
}

void TField::SetEditText(std::string_view text) {
    if (IsStringType(def_.type)) {
        SetValue(text.empty() ? Variant::Null() : Variant(text));
        return;
    }
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty()) {
        SetValue(Variant::Null());
        return;
    }
    auto invalid = [&]() {
        std::string message = "'";
        message.append(text).append("' não é um valor válido para o campo '").append(def_.name).append("'");
        return EConvertError(message);
    };
    switch (def_.type) {
        case FieldType::Float: {
            auto parsed = ParseDecimal(trimmed);
            if (!parsed)
                throw invalid();
            SetValue(Variant(*parsed));
            return;
        }
        case FieldType::Integer: {
            auto parsed = ParseInteger(trimmed);
            if (!parsed)
                throw invalid();
            SetValue(Variant(*parsed));
            return;
        }
        case FieldType::Boolean: {
            const std::string upper = ToUpperAscii(trimmed);
            if (upper == "TRUE" || upper == "S" || upper == "1") {
                SetValue(Variant(true));
            } else if (upper == "FALSE" || upper == "N" || upper == "0") {
                SetValue(Variant(false));
            } else {
                throw invalid();
            }
            return;
        }
        default: {
            TDateTime parsed;
            try {
                parsed = Variant(trimmed).AsDateTime();
            } catch (const EConvertError&) {
                throw invalid();
            }
            SetValue(Variant(parsed));
            return;
        }
    }
}

void TField::FocusControl() {
    bool handled = false;
    for (TDataSource* source : dataSet_.DataSources()) {
        const std::vector<TDataLink*> links = source->Links();
        for (TDataLink* link : links) {
            link->FocusControl(this, handled);
            if (handled)
                return;
        }
    }
}

}  // namespace vcl
