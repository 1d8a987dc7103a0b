#include "vcl/dataset_store.h"

#include <algorithm>
#include <array>

#include "vcl/exceptions.h"
#include "vcl/text_format.h"

namespace vcl {
namespace {

constexpr std::int64_t kSpacing = std::int64_t{1} << 20;
constexpr std::size_t kMaxIndexes = 4;

std::uint64_t Combine(std::uint64_t hash, std::uint64_t key) {
    hash ^= key + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
    return hash * 0xFF51AFD7ED558CCDull;
}

}  // namespace

DataStore::DataStore(std::vector<FieldDef> fields) : fields_(std::move(fields)) {
    for (const FieldDef& def : fields_)
        columns_.push_back(std::make_shared<Column>(def));
}

DataStore::DataStore(const PacketStore& packet, const std::vector<FieldDef>& fields,
                     const std::vector<int>& columnOfField)
    : fields_(fields), physical_(packet.rows) {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        columns_.push_back(packet.columns[static_cast<std::size_t>(columnOfField[i])]);
    std::vector<RowId> ids(packet.rows);
    for (std::size_t i = 0; i < ids.size(); ++i)
        ids[i] = static_cast<RowId>(i);
    order_.Assign(std::move(ids));
}

Column& DataStore::Writable(int column) {
    auto& slot = columns_[static_cast<std::size_t>(column)];
    if (slot.use_count() > 1)
        slot = std::make_shared<Column>(*slot);
    return *slot;
}

std::uint64_t DataStore::RowHash(const std::vector<int>& columns, RowId row) const {
    std::uint64_t hash = 0;
    for (int c : columns)
        hash = Combine(hash, columns_[static_cast<std::size_t>(c)]->Key(row));
    return hash;
}

DataStore::Index& DataStore::IndexFor(const std::vector<int>& columns) {
    for (Index& index : indexes_)
        if (index.columns == columns)
            return index;
    if (indexes_.size() >= kMaxIndexes)
        indexes_.erase(indexes_.begin());
    Index index;
    index.columns = columns;
    index.postings.reserve(order_.size() / 8 + 16);
    for (std::size_t i = 0; i < order_.size(); ++i) {
        const RowId row = order_[i];
        if (pending_ == row)
            continue;
        index.postings[RowHash(columns, row)].push_back(row);
    }
    indexes_.push_back(std::move(index));
    return indexes_.back();
}

void DataStore::IndexRemove(Index& index, std::uint64_t hash, RowId row) {
    auto found = index.postings.find(hash);
    if (found == index.postings.end())
        return;
    auto& rows = found->second;
    rows.erase(std::remove(rows.begin(), rows.end(), row), rows.end());
    if (rows.empty())
        index.postings.erase(found);
}

void DataStore::IndexRemove(RowId row) {
    for (Index& index : indexes_)
        IndexRemove(index, RowHash(index.columns, row), row);
}

void DataStore::IndexAdd(RowId row) {
    for (Index& index : indexes_)
        index.postings[RowHash(index.columns, row)].push_back(row);
}

void DataStore::SetFilter(std::optional<std::vector<ColumnTerm>> terms) {
    if (!terms) {
        filtered_ = false;
        terms_.clear();
        view_.Clear();
        return;
    }
    terms_ = std::move(*terms);
    std::stable_sort(terms_.begin(), terms_.end(),
                     [](const ColumnTerm& a, const ColumnTerm& b) { return a.column < b.column; });
    filtered_ = true;
    RebuildView();
}

bool DataStore::Matches(RowId row) const {
    if (!filtered_)
        return true;
    for (const ColumnTerm& term : terms_) {
        const Column& column = *columns_[static_cast<std::size_t>(term.column)];
        if (column.IsString()) {
            if (column.Text(row) != term.value)
                return false;
            continue;
        }
        std::uint64_t key = 0;
        if (!column.KeyOfText(term.value, key) || column.Key(row) != key)
            return false;
    }
    return true;
}

void DataStore::RebuildView() {
    std::vector<RowId> rows;
    if (terms_.empty()) {
        rows.reserve(order_.size());
        for (std::size_t i = 0; i < order_.size(); ++i)
            rows.push_back(order_[i]);
        view_.Assign(std::move(rows));
        return;
    }
    std::vector<int> columns;
    std::uint64_t hash = 0;
    for (const ColumnTerm& term : terms_) {
        std::uint64_t key = 0;
        if (!columns_[static_cast<std::size_t>(term.column)]->KeyOfText(term.value, key)) {
            view_.Clear();  // a text no cell holds
            return;
        }
        columns.push_back(term.column);
        hash = Combine(hash, key);
    }
    const Index& index = IndexFor(columns);
    if (auto found = index.postings.find(hash); found != index.postings.end()) {
        for (RowId row : found->second)
            if (Matches(row))
                rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end(), [this](RowId a, RowId b) { return OrderKey(a) < OrderKey(b); });
    view_.Assign(std::move(rows));
}

std::size_t DataStore::OrderPosition(RowId row) const {
    const std::int64_t key = OrderKey(row);
    std::size_t low = 0, high = order_.size();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (OrderKey(order_[mid]) < key) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    if (low >= order_.size() || order_[low] != row)
        throw EDatabaseError("Registro não encontrado na ordem do conjunto de dados");
    return low;
}

void DataStore::Renumber() {
    orderKeys_.resize(physical_);
    for (std::size_t i = 0; i < order_.size(); ++i)
        orderKeys_[order_[i]] = static_cast<std::int64_t>(i) * kSpacing;
}

void DataStore::PlaceInOrder(std::size_t orderPos, RowId row) {
    if (orderKeys_.empty() && orderPos == order_.size()) {
        order_.Insert(orderPos, row);  // the newest id goes last: ids stay the order keys
        return;
    }
    if (orderKeys_.empty())
        Renumber();
    orderKeys_.resize(physical_);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool atEnd = orderPos == order_.size();
        const std::int64_t next = atEnd ? 0 : OrderKey(order_[orderPos]);
        const std::int64_t prev = orderPos > 0 ? OrderKey(order_[orderPos - 1]) : next - 2 * kSpacing;
        const std::int64_t upper = atEnd ? prev + 2 * kSpacing : next;
        if (upper - prev >= 2) {
            orderKeys_[row] = prev + (upper - prev) / 2;
            order_.Insert(orderPos, row);
            return;
        }
        Renumber();
    }
    throw EDatabaseError("Não foi possível posicionar o novo registro");
}

RowId DataStore::InsertPending(std::size_t shownPos) {
    if (physical_ >= 0xFFFFFFF0u)
        throw EDatabaseError("Número de registros acima do limite");
    const std::size_t orderPos = shownPos < Shown() ? OrderPosition(ShownRow(shownPos)) : order_.size();
    for (std::size_t c = 0; c < columns_.size(); ++c)
        Writable(static_cast<int>(c)).AppendNull();
    const auto row = static_cast<RowId>(physical_++);
    PlaceInOrder(orderPos, row);
    if (filtered_)
        view_.Insert(std::min(shownPos, view_.size()), row);
    pending_ = row;
    return row;
}

namespace {

// True when storing `value` would leave the cell as it is; compares without
// building a variant of the cell. An unconvertible value raises
// EConvertError, as storing it would.
bool SameAsStored(const Column& column, std::size_t row, const Variant& value) {
    if (value.IsEmpty())
        return column.IsNull(row);
    if (column.IsNull(row))
        return false;
    if (column.IsString())
        return value.type() == Variant::Type::String && column.Text(row) == value.StringView();
    std::int64_t raw = 0;
    ConvertToRaw(column.Def().type, value, raw);
    return raw == column.Raw(row);
}

}  // namespace

void DataStore::Commit(RowId row, std::span<const std::size_t> written, const std::vector<Variant>& values) {
    if (pending_ == row) {
        for (const std::size_t c : written)
            if (c < columns_.size() && !values[c].IsEmpty())
                Writable(static_cast<int>(c)).Set(row, values[c]);
        pending_.reset();
        IndexAdd(row);
        return;
    }
    // Only the cells that change are written, so an edit copies only the
    // shared columns it really writes; comparing first also raises an
    // unconvertible value's EConvertError before anything is touched.
    std::vector<std::size_t>& changed = changedScratch_;
    changed.clear();
    for (const std::size_t c : written)
        if (c < columns_.size() && !SameAsStored(*columns_[c], row, values[c]))
            changed.push_back(c);
    if (changed.empty())
        return;
    // The indexes over a changed column move the row from its old key to its new one.
    std::array<Index*, kMaxIndexes> moved{};
    std::size_t movedCount = 0;
    for (Index& index : indexes_) {
        const bool touched = std::any_of(index.columns.begin(), index.columns.end(), [&](int column) {
            return std::find(changed.begin(), changed.end(), static_cast<std::size_t>(column)) !=
                   changed.end();
        });
        if (touched) {
            IndexRemove(index, RowHash(index.columns, row), row);
            moved[movedCount++] = &index;
        }
    }
    for (const std::size_t c : changed)
        Writable(static_cast<int>(c)).Set(row, values[c]);
    for (std::size_t i = 0; i < movedCount; ++i)
        moved[i]->postings[RowHash(moved[i]->columns, row)].push_back(row);
}

void DataStore::Remove(std::size_t shownPos) {
    const RowId row = ShownRow(shownPos);
    if (filtered_) {
        order_.Erase(OrderPosition(row));
        view_.Erase(shownPos);
    } else {
        order_.Erase(shownPos);
    }
    if (pending_ == row) {
        pending_.reset();
    } else {
        IndexRemove(row);
    }
}

void DataStore::HideShown(std::size_t shownPos) {
    if (filtered_)
        view_.Erase(shownPos);
}

std::optional<std::size_t> DataStore::Locate(const std::vector<LocateKey>& keys,
                                             TLocateOptions options) const {
    struct Matcher {
        const Column* column;
        std::vector<char> codeOk;  // string columns: codes that match
        bool nullOk = false;
        std::int64_t raw = 0;
    };
    std::vector<Matcher> matchers;
    for (const LocateKey& key : keys) {
        Matcher m{columns_[static_cast<std::size_t>(key.column)].get(), {}, false, 0};
        if (m.column->IsString()) {
            const std::string wanted = key.value.IsEmpty() ? std::string() : key.value.AsString();
            const std::string wantedFolded = options.caseInsensitive ? UpperText(wanted) : wanted;
            const StringDict& dict = m.column->Dict();
            m.codeOk.resize(dict.Size());
            if (!options.caseInsensitive && !options.partialKey && dict.Indexed()) {
                const std::uint32_t code = dict.Find(wanted);  // exact: one lookup
                if (code != StringDict::kNoCode)
                    m.codeOk[code] = 1;
            } else {
                for (std::uint32_t code = 0; code < dict.Size(); ++code) {
                    const std::string_view text = dict.Get(code);
                    m.codeOk[code] =
                        options.caseInsensitive
                            ? MatchesUpper(text, wantedFolded, options.partialKey)
                            : (options.partialKey ? text.substr(0, wanted.size()) == wanted : text == wanted);
                }
            }
            m.nullOk = m.codeOk[0] != 0;
        } else if (key.value.IsEmpty()) {
            m.nullOk = true;
        } else {
            try {
                ConvertToRaw(m.column->Def().type, key.value, m.raw);
            } catch (const Exception&) {
                return std::nullopt;  // a value the field cannot hold matches nothing
            }
        }
        matchers.push_back(std::move(m));
    }
    const std::size_t shown = Shown();
    for (std::size_t pos = 0; pos < shown; ++pos) {
        const RowId row = ShownRow(pos);
        bool all = true;
        for (const Matcher& m : matchers) {
            if (m.column->IsString()) {
                const std::uint32_t code = m.column->Code(row);
                all = code == Column::kNullCode ? m.nullOk : m.codeOk[code] != 0;
            } else if (m.column->IsNull(row)) {
                all = m.nullOk;
            } else {
                all = !m.nullOk && m.column->Raw(row) == m.raw;
            }
            if (!all)
                break;
        }
        if (all)
            return pos;
    }
    return std::nullopt;
}

DataPacket DataStore::ToPacket() const {
    auto store = std::make_shared<PacketStore>();
    store->fields = fields_;
    if (!pending_ && orderKeys_.empty() && order_.size() == physical_) {
        store->columns = columns_;  // rows are in physical order: share the columns
        store->rows = physical_;
        return DataPacket(std::move(store));
    }
    for (const FieldDef& def : fields_)
        store->columns.push_back(std::make_shared<Column>(def));
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        Column& target = *store->columns[c];
        const Column& source = *columns_[c];
        target.Reserve(order_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) {
            const RowId row = order_[i];
            if (pending_ != row)
                target.AppendFrom(source, row);
        }
    }
    store->rows = order_.size() - (pending_ ? 1 : 0);
    return DataPacket(std::move(store));
}

std::size_t DataStore::MemoryBytes() const {
    std::size_t total =
        order_.MemoryBytes() + view_.MemoryBytes() + orderKeys_.capacity() * sizeof(std::int64_t);
    for (const auto& column : columns_)
        total += column->MemoryBytes();
    for (const Index& index : indexes_) {
        total += index.postings.bucket_count() * sizeof(void*);
        for (const auto& [hash, rows] : index.postings)
            total += 48 + rows.capacity() * sizeof(RowId);
    }
    return total;
}

}  // namespace vcl
