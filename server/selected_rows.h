// A selection's rows as cells, read the cheapest way the backend allows:
// straight through SQLite's statement, in SOCI's bulk batches elsewhere.
// Both give the same cells for the same rows.
#pragma once

#include <soci/soci.h>

#include <optional>
#include <span>
#include <vector>

#include "server/notas_columns.h"
#include "server/row_batch.h"
#include "server/sql_query.h"
#include "server/sqlite_rows.h"

namespace server {

class SelectedRows {
public:
    // `batchRows`: the rows a SOCI fetch brings at most (RowBatch).
    SelectedRows(soci::session& session, std::span<const SelectedColumn> columns,
                 std::size_t batchRows = RowBatch::kRows);

    // Runs `query` (its select list being the columns) and hands each row's
    // cells to `onRow`, in the statement's order.
    void Run(const SqlQuery& query, const CellsSink& onRow);

private:
    soci::session& session_;
    std::optional<SqliteRows> sqlite_;
    std::optional<RowBatch> batch_;
    std::vector<vcl::Cell> cells_;
};

}  // namespace server
