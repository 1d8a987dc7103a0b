// Column store behind data packets and client datasets. String columns are
// dictionary encoded (one 32-bit code per cell); the other types keep one
// 64-bit cell each and a null bitmap.
#pragma once

#include <bit>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "vcl/data_packet.h"
#include "vcl/string_dict.h"

namespace vcl {

bool IsStringType(FieldType type);

class Column {
public:
    static constexpr std::uint32_t kNullCode = StringDict::kNoCode;

    explicit Column(FieldDef def) : def_(std::move(def)), isString_(IsStringType(def_.type)) {}

    const FieldDef& Def() const { return def_; }
    bool IsString() const { return isString_; }
    std::size_t Size() const { return isString_ ? codes_.size() : cells_.size(); }
    void Reserve(std::size_t rows);
    // Gives back reserved room beyond a small margin (after a bulk load).
    void ShrinkIfSlack();

    bool IsNull(std::size_t row) const {
        return isString_ ? codes_[row] == kNullCode : (nulls_[row >> 6] >> (row & 63)) & 1u;
    }
    Variant Value(std::size_t row) const;
    std::string_view Text(std::size_t row) const {
        return dict_.Get(codes_[row] == kNullCode ? 0 : codes_[row]);
    }
    std::uint32_t Code(std::size_t row) const { return codes_[row]; }
    std::int64_t Raw(std::size_t row) const { return cells_[row]; }
    double Float(std::size_t row) const { return std::bit_cast<double>(cells_[row]); }
    const StringDict& Dict() const { return dict_; }

    // Key for equality lookups (equal cells, equal keys): null strings count
    // as the empty string; other nulls get their own key. Keys of texts in a
    // column without a dictionary index are hashes, so equal keys are only a hint there.
    std::uint64_t Key(std::size_t row) const;
    // Key of a text as this column would compare it; false when the text
    // cannot match any cell (unknown string, unconvertible number).
    bool KeyOfText(std::string_view text, std::uint64_t& key) const;

    // Bulk loads, a block of rows at a time. Prepare hashes a text and, in a
    // large dictionary, starts loading its slot; InternPrepared later gives
    // the text's code, adding it when new.
    std::uint32_t Prepare(std::string_view text) const {
        if (!dict_.Indexed())
            return 0;  // without the index the hash would go unused
        const std::uint32_t hash = StringDict::Hash(text);
        if (DictionaryIsLarge())  // a small one stays in cache
            dict_.Prefetch(hash);
        return hash;
    }
    std::uint32_t InternPrepared(std::string_view text, std::uint32_t hash) {
        return dict_.Intern(text, hash);
    }
    // A dictionary too big for the cache, worth prefetching deeper for
    // (PrefetchEntry and PrefetchEntryText, after Prepare, before InternPrepared).
    bool DictionaryIsLarge() const { return dict_.Indexed() && dict_.Size() > kLargeDictionary; }
    void PrefetchEntry(std::uint32_t hash) const { dict_.PrefetchEntry(hash); }
    void PrefetchEntryText(std::uint32_t hash) const { dict_.PrefetchEntryText(hash); }
    // Room for `rows` more cells at the end, which the caller fills before
    // anything else touches the column. A string column's codes, the code of
    // its last text kept up to date by the caller (the next AppendText
    // compares with it):
    std::uint32_t* ExtendCodes(std::size_t rows);
    std::uint32_t LastCode() const { return lastCode_; }
    void SetLastCode(std::uint32_t code) { lastCode_ = code; }
    // Another column's raw cells, not null until MarkNull says so.
    std::int64_t* ExtendCells(std::size_t rows);
    void MarkNull(std::size_t row) { nulls_[row >> 6] |= std::uint64_t{1} << (row & 63); }
    void AppendNull();
    void AppendText(std::string_view text) {
        // Neighbouring rows often repeat a value (the items of one note): skip the lookup.
        if (lastCode_ == kNullCode || !SameText(dict_.Get(lastCode_), text)) {
            lastCode_ = dict_.Intern(text);
            if ((codes_.size() & 0xFFFF) == 0xFFFF)
                CheckCardinality();
        }
        codes_.push_back(lastCode_);
    }
    void AppendRaw(std::int64_t raw) {  // non-string types
        cells_.push_back(raw);
        if ((cells_.size() - 1) >> 6 >= nulls_.size())
            nulls_.push_back(0);
    }
    void AppendFloat(double value) { AppendRaw(std::bit_cast<std::int64_t>(value)); }
    // Converts the variant to the column type (EConvertError when it cannot).
    void Append(const Variant& value);
    void Set(std::size_t row, const Variant& value);
    // Copies cell `from` of `source` (same type) to the end of this column.
    void AppendFrom(const Column& source, std::size_t from);

    bool CellEquals(std::size_t row, const Column& other, std::size_t otherRow) const;
    std::size_t MemoryBytes() const;

private:
    static constexpr std::size_t kLargeDictionary = 1 << 10;
    void SetNullBit(std::size_t row, bool null);
    // Stops deduplicating when too many values are distinct for it to pay.
    void CheckCardinality();

    FieldDef def_;
    bool isString_;
    std::vector<std::uint32_t> codes_;
    StringDict dict_;
    std::uint32_t lastCode_ = kNullCode;  // code of the last appended text
    std::vector<std::int64_t> cells_;
    std::vector<std::uint64_t> nulls_;
};

// Converts a variant to the cell representation of a column type.
// Returns false for an empty variant (null cell); EConvertError when unconvertible.
bool ConvertToRaw(FieldType type, const Variant& value, std::int64_t& raw);
Variant RawToVariant(FieldType type, std::int64_t raw);

class PacketStore {
public:
    PacketStore() = default;
    explicit PacketStore(std::vector<FieldDef> fields);

    std::vector<FieldDef> fields;
    std::vector<std::shared_ptr<Column>> columns;  // one per field, same order
    std::size_t rows = 0;

    int FieldIndex(std::string_view name) const;  // case-insensitive; -1 when absent
    std::size_t MemoryBytes() const;
};

}  // namespace vcl
