#include "vcl/packet_store.h"

#include <cmath>

#include "vcl/exceptions.h"
#include "vcl/memory_advice.h"
#include "vcl/text_format.h"
#include "vcl/variant.h"

namespace vcl {

bool IsStringType(FieldType type) {
    return type == FieldType::String || type == FieldType::FixedChar;
}

namespace {
constexpr std::uint64_t kNullKey = 0x7FF8DEADBEEF0001ull;  // a NaN no cell holds
}

bool ConvertToRaw(FieldType type, const Variant& value, std::int64_t& raw) {
    if (value.IsEmpty())
        return false;
    switch (type) {
        case FieldType::Integer:
            raw = value.AsInteger();
            break;
        case FieldType::Float: {
            const double d = value.AsFloat();
            if (!std::isfinite(d))
                throw EConvertError("Valor numérico inválido");
            raw = std::bit_cast<std::int64_t>(d == 0 ? 0.0 : d);
            break;
        }
        case FieldType::Boolean:
            raw = value.AsBoolean() ? 1 : 0;
            break;
        case FieldType::Date:
            raw = value.AsDate().days;
            break;
        case FieldType::DateTime:
            raw = value.AsDateTime().seconds;
            break;
        default:
            throw EConvertError("A coluna não guarda valores simples");
    }
    return true;
}

Variant RawToVariant(FieldType type, std::int64_t raw) {
    switch (type) {
        case FieldType::Integer:
            return Variant(raw);
        case FieldType::Float:
            return Variant(std::bit_cast<double>(raw));
        case FieldType::Boolean:
            return Variant(raw != 0);
        case FieldType::Date:
            return Variant(TDate{static_cast<std::int32_t>(raw)});
        case FieldType::DateTime:
            return Variant(TDateTime{raw});
        default:
            return Variant::Null();
    }
}

void Column::Reserve(std::size_t rows) {
    if (rows <= Size())
        return;
    // The room is filled right after (a bulk load): it is mapped in at once.
    if (isString_) {
        codes_.reserve(rows);
        AdviseHugePages(codes_.data(), rows * sizeof(std::uint32_t));
        PrefaultForWrite(codes_.data() + codes_.size(), (rows - codes_.size()) * sizeof(std::uint32_t));
        if (!dict_.Indexed())
            dict_.ReserveEntries(rows - codes_.size());
    } else {
        cells_.reserve(rows);
        AdviseHugePages(cells_.data(), rows * sizeof(std::int64_t));
        PrefaultForWrite(cells_.data() + cells_.size(), (rows - cells_.size()) * sizeof(std::int64_t));
        nulls_.reserve((rows + 63) / 64);
    }
}

void Column::ShrinkIfSlack() {
    // A bulk load reserves a close estimate: a small margin is kept rather
    // than copy the whole column to give it back.
    auto shrink = [](auto& vector) {
        if (vector.capacity() > vector.size() + vector.size() / 16 + 64)
            vector.shrink_to_fit();
    };
    shrink(codes_);
    shrink(cells_);
    shrink(nulls_);
    dict_.ShrinkIfSlack();
}

Variant Column::Value(std::size_t row) const {
    if (IsNull(row))
        return Variant::Null();
    if (isString_)
        return Variant(dict_.Get(codes_[row]));
    return RawToVariant(def_.type, cells_[row]);
}

void Column::CheckCardinality() {
    if (dict_.Indexed() && codes_.size() >= 0xFFFF && dict_.IndexCostsMoreThanItSaves(codes_.size())) {
        dict_.DropIndex();
        dict_.ReserveEntries(codes_.capacity() - codes_.size());  // one entry per cell from now on
    }
}

std::uint64_t Column::Key(std::size_t row) const {
    if (isString_ && !dict_.Indexed())
        return StringDict::Hash(Text(row));
    if (isString_)
        return codes_[row] == kNullCode ? 0 : codes_[row];
    if (IsNull(row))
        return kNullKey;
    return static_cast<std::uint64_t>(cells_[row]);
}

bool Column::KeyOfText(std::string_view text, std::uint64_t& key) const {
    if (isString_ && !dict_.Indexed()) {
        key = StringDict::Hash(text);
        return true;
    }
    if (isString_) {
        const std::uint32_t code = dict_.Find(text);
        key = code;
        return code != StringDict::kNoCode;
    }
    if (text.empty()) {
        key = kNullKey;
        return true;
    }
    try {
        std::int64_t raw = 0;
        ConvertToRaw(def_.type, Variant(text), raw);
        key = static_cast<std::uint64_t>(raw);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

void Column::SetNullBit(std::size_t row, bool null) {
    if (nulls_.size() <= row >> 6)
        nulls_.resize((row >> 6) + 1, 0);
    const std::uint64_t bit = std::uint64_t{1} << (row & 63);
    nulls_[row >> 6] = null ? (nulls_[row >> 6] | bit) : (nulls_[row >> 6] & ~bit);
}

std::uint32_t* Column::ExtendCodes(std::size_t rows) {
    const std::size_t size = codes_.size();
    if (((size + rows) >> 16) != (size >> 16))  // as AppendText does at every 65,536th cell
        CheckCardinality();
    codes_.resize(size + rows);
    return codes_.data() + size;
}

std::int64_t* Column::ExtendCells(std::size_t rows) {
    const std::size_t size = cells_.size();
    cells_.resize(size + rows);
    nulls_.resize((size + rows + 63) / 64, 0);
    return cells_.data() + size;
}

void Column::AppendNull() {
    if (isString_) {
        codes_.push_back(kNullCode);
    } else {
        cells_.push_back(0);
        SetNullBit(cells_.size() - 1, true);
    }
}

void Column::Append(const Variant& value) {
    if (value.IsEmpty()) {
        AppendNull();
    } else if (isString_) {
        AppendText(value.AsString());
    } else {
        std::int64_t raw = 0;
        ConvertToRaw(def_.type, value, raw);
        AppendRaw(raw);
    }
}

void Column::Set(std::size_t row, const Variant& value) {
    if (isString_) {
        if (value.IsEmpty())
            codes_[row] = kNullCode;
        else if (value.type() == Variant::Type::String)
            codes_[row] = dict_.Intern(value.StringView());
        else
            codes_[row] = dict_.Intern(value.AsString());
        return;
    }
    std::int64_t raw = 0;
    const bool present = ConvertToRaw(def_.type, value, raw);
    cells_[row] = present ? raw : 0;
    SetNullBit(row, !present);
}

void Column::AppendFrom(const Column& source, std::size_t from) {
    if (source.IsNull(from)) {
        AppendNull();
    } else if (isString_) {
        AppendText(source.dict_.Get(source.codes_[from]));
    } else {
        AppendRaw(source.cells_[from]);
    }
}

bool Column::CellEquals(std::size_t row, const Column& other, std::size_t otherRow) const {
    const bool null = IsNull(row);
    if (null != other.IsNull(otherRow))
        return false;
    if (null)
        return true;
    if (isString_ != other.isString_)
        return false;
    if (isString_)
        return dict_.Get(codes_[row]) == other.dict_.Get(other.codes_[otherRow]);
    return cells_[row] == other.cells_[otherRow];
}

std::size_t Column::MemoryBytes() const {
    return codes_.capacity() * sizeof(std::uint32_t) + dict_.MemoryBytes() +
           cells_.capacity() * sizeof(std::int64_t) + nulls_.capacity() * sizeof(std::uint64_t);
}

PacketStore::PacketStore(std::vector<FieldDef> defs) : fields(std::move(defs)) {
    columns.reserve(fields.size());
    for (const FieldDef& def : fields)
        columns.push_back(std::make_shared<Column>(def));
}

int PacketStore::FieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (EqualsIgnoreCase(fields[i].name, name))
            return static_cast<int>(i);
    return -1;
}

std::size_t PacketStore::MemoryBytes() const {
    std::size_t total = 0;
    for (const auto& column : columns)
        total += column->MemoryBytes();
    return total;
}

}  // namespace vcl
