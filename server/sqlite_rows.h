// A selection read straight through SQLite's own statement: each row's cells
// are made from the column values where SQLite holds them, with no vectors
// or copies in between. Gives the cells the bulk fetch gives (RowBatch).
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

namespace sqlite_api {  // where SOCI's header declares SQLite's API
struct sqlite3;
struct sqlite3_stmt;
}  // namespace sqlite_api

namespace server {

// Takes one row's cells; their texts are valid only during the call.
using CellsSink = std::function<void(std::span<const vcl::Cell>)>;

// The statement with each ":name" placeholder made a positional "?", for
// values bound in order (quoted texts and "::" casts left as they are).
std::string PositionalSql(std::string_view sql);

class SqliteRows {
public:
    // `session` must be open on SQLite and outlive this object.
    SqliteRows(soci::session& session, std::span<const SelectedColumn> columns);
    ~SqliteRows();
    SqliteRows(const SqliteRows&) = delete;
    SqliteRows& operator=(const SqliteRows&) = delete;

    // Runs `query` (its select list being the columns, its values bound in
    // order) and hands each row to `onRow`. A statement of the same text as
    // the last one is reused, only its values bound again. Database errors
    // are thrown as soci::soci_error, as SOCI would.
    void Run(const SqlQuery& query, const CellsSink& onRow);

private:
    void Prepare(const std::string& text);
    void Bind(const std::vector<std::string>& values);
    double NumberAt(int column) const;
    [[noreturn]] void Fail(int code) const;

    sqlite_api::sqlite3* db_;
    std::span<const SelectedColumn> columns_;
    sqlite_api::sqlite3_stmt* statement_ = nullptr;
    std::string text_;             // of the prepared statement
    std::vector<bool> exactReal_;  // per column: its number is read as stored, not through its text
    std::vector<vcl::Cell> cells_;
};

}  // namespace server
