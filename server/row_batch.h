// Bulk fetch of a selection declared as data: the rows arrive in batches of
// vectors, one per column, instead of one row at a time.
#pragma once

#include <soci/soci.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/notas_columns.h"
#include "server/sql_query.h"
#include "vcl/data_packet.h"

namespace server {

class RowBatch {
public:
    static constexpr std::size_t kRows = 512;

    // `rows`: the rows a fetch brings at most; small for a lookup by key,
    // whose vectors would otherwise cost more to set up than the rows.
    explicit RowBatch(std::span<const SelectedColumn> columns, std::size_t rows = kRows);

    std::size_t Size() const;  // rows in the batch
    std::size_t ColumnCount() const { return columns_.size(); }
    // The cell of `column` in `row` as the packet carries it.
    vcl::Cell CellAt(std::size_t column, std::size_t row) const;
    // The raw text of a text column (empty for NULL).
    std::string_view Text(std::size_t column, std::size_t row) const;

private:
    friend void FetchBatches(soci::session&, const SqlQuery&, RowBatch&, const std::function<void()>&);
    void Bind(soci::statement& statement);
    void Rewind();  // back to full size before the next fetch

    struct Vectors {
        std::vector<std::string> texts;
        std::vector<double> numbers;
        std::vector<soci::indicator> indicators;
    };
    std::span<const SelectedColumn> columns_;
    std::size_t rows_;
    std::vector<Vectors> vectors_;
};

// Runs `query` (its select list being the batch's columns) and calls
// `onBatch` after each batch of rows is fetched into `batch`.
void FetchBatches(soci::session& session, const SqlQuery& query, RowBatch& batch,
                  const std::function<void()>& onBatch);

// The cells of one fetched row, in column order, to append to a packet.
void RowCells(const RowBatch& batch, std::size_t row, std::vector<vcl::Cell>& out);

}  // namespace server
