// The row store of a client dataset: shared columns (copied on the first
// write), the order of the rows, the rows shown under the filter, and hash
// indexes on filtered fields.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "vcl/dataset.h"
#include "vcl/gap_vector.h"
#include "vcl/packet_store.h"

namespace vcl {

using RowId = std::uint32_t;

// One condition of a filter, resolved to a column.
struct ColumnTerm {
    int column;
    std::string value;
};

// One condition of a locate.
struct LocateKey {
    int column;
    Variant value;
};

class DataStore {
public:
    // Empty store with these fields.
    explicit DataStore(std::vector<FieldDef> fields);
    // Shares the columns of a packet; `columnOfField[i]` is the packet column of field i.
    DataStore(const PacketStore& packet, const std::vector<FieldDef>& fields,
              const std::vector<int>& columnOfField);

    const std::vector<FieldDef>& Fields() const { return fields_; }

    // Rows shown (the filter applied), in dataset order.
    std::size_t Shown() const { return filtered_ ? view_.size() : order_.size(); }
    RowId ShownRow(std::size_t pos) const { return filtered_ ? view_[pos] : order_[pos]; }

    Variant Value(RowId row, int column) const {
        return columns_[static_cast<std::size_t>(column)]->Value(row);
    }
    bool IsNull(RowId row, int column) const {
        return columns_[static_cast<std::size_t>(column)]->IsNull(row);
    }

    // Filter: the terms must all hold (empty: every row). nullopt switches it off.
    void SetFilter(std::optional<std::vector<ColumnTerm>> terms);
    bool Matches(RowId row) const;

    // New empty row shown at `shownPos` (before the row there, or at the end),
    // pending until Commit. Returns its id.
    RowId InsertPending(std::size_t shownPos);
    // Writes the values of the columns listed in `written` (converted
    // beforehand by the caller; `values` is indexed by column) and keeps the
    // indexes current; a pending row becomes a stored one. Cells left as they
    // were are not written, and indexes over other columns are not touched.
    void Commit(RowId row, std::span<const std::size_t> written, const std::vector<Variant>& values);
    // Removes the row shown at `shownPos` (a pending one included).
    void Remove(std::size_t shownPos);
    // Takes a row out of the shown rows only (it no longer matches the filter).
    void HideShown(std::size_t shownPos);
    std::optional<RowId> Pending() const { return pending_; }

    // First shown position whose cells equal the keys.
    std::optional<std::size_t> Locate(const std::vector<LocateKey>& keys, TLocateOptions options) const;

    // All stored rows in order, pending row excluded.
    DataPacket ToPacket() const;
    std::size_t MemoryBytes() const;

private:
    struct Index {
        std::vector<int> columns;
        std::unordered_map<std::uint64_t, std::vector<RowId>> postings;
    };

    std::uint64_t RowHash(const std::vector<int>& columns, RowId row) const;
    Index& IndexFor(const std::vector<int>& columns);
    void IndexRemove(RowId row);
    void IndexAdd(RowId row);
    static void IndexRemove(Index& index, std::uint64_t hash, RowId row);
    void RebuildView();
    Column& Writable(int column);
    std::int64_t OrderKey(RowId row) const { return orderKeys_.empty() ? row : orderKeys_[row]; }
    std::size_t OrderPosition(RowId row) const;  // position in order_
    void PlaceInOrder(std::size_t orderPos, RowId row);
    void Renumber();

    std::vector<FieldDef> fields_;
    std::vector<std::shared_ptr<Column>> columns_;
    std::size_t physical_ = 0;             // rows ever stored in the columns
    GapVector<RowId> order_;               // the dataset's rows, in order
    std::vector<std::int64_t> orderKeys_;  // empty: the id is the order key
    bool filtered_ = false;
    std::vector<ColumnTerm> terms_;        // sorted by column
    std::vector<std::uint64_t> termKeys_;  // the terms' cell keys
    bool termsCanMatch_ = true;
    GapVector<RowId> view_;  // shown rows when filtered
    std::vector<Index> indexes_;
    std::optional<RowId> pending_;
    std::vector<std::size_t> changedScratch_;  // Commit's changed columns, kept to reuse its room
};

}  // namespace vcl
