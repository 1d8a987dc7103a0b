#include "server/selected_rows.h"

#include "db/connection.h"

namespace server {

SelectedRows::SelectedRows(soci::session& session, std::span<const SelectedColumn> columns,
                           std::size_t batchRows)
    : session_(session) {
    if (db::BackendOf(session) == db::Backend::Sqlite)
        sqlite_.emplace(session, columns);
    else
        batch_.emplace(columns, batchRows);
}

void SelectedRows::Run(const SqlQuery& query, const CellsSink& onRow) {
    if (sqlite_) {
        sqlite_->Run(query, onRow);
        return;
    }
    FetchBatches(session_, query, *batch_, [&] {
        for (std::size_t row = 0; row < batch_->Size(); ++row) {
            RowCells(*batch_, row, cells_);
            onRow(cells_);
        }
    });
}

}  // namespace server
