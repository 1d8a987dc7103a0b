// The application's tables, declared once and rendered as DDL for SQLite or
// PostgreSQL.
#pragma once

#include <soci/soci.h>

#include <string>
#include <string_view>
#include <vector>

#include "db/connection.h"

namespace db {

enum class ColumnKind {
    Text,      // VARCHAR(size): codes and names
    Quantity,  // exact to 3 decimals
    Money,     // exact to 2 decimals
    Date,
    Integer,
    Timestamp,
    LongText,  // TEXT without a bound: stored answers
};

struct Column {
    std::string name;
    ColumnKind kind = ColumnKind::Text;
    int size = 0;  // characters, for Text
    bool notNull = true;
};

struct Index {
    std::string name;
    std::vector<std::string> columns;
    bool unique = false;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<std::string> primaryKey;
    std::vector<Index> indexes;
    // Rows stored in key order (SQLite's WITHOUT ROWID), for a table read by
    // key ranges: a note's items come from one place of the file, with no
    // second lookup per row. PostgreSQL keeps its heap.
    bool storedByKey = false;
};

// The tables of the latest schema version (the application's data; the
// version table is apart).
const std::vector<Table>& Tables();
// The tables of schema version 1, frozen.
const std::vector<Table>& TablesV1();

// VERSAOESQUEMA: one row per schema version applied.
const Table& VersionTable();
// USUARIO, and the column that names the user on what a remittance writes.
const Table& UserTable();
const Column& UserColumn();

// IDEMPOTENCIA: the answer of each call made with an idempotency key, by
// user and key, with its request's hash and when it was stored (Unix seconds).
const Table& IdempotencyTable();

// NOTAENTRADA's index for the selection by branch and entry dates; it ends
// with the launch number, the order the notes are listed in within a day.
const Index& NotesByDateIndex();

// SQL type of a column, the same text on both backends; SQLite maps it to
// its affinities (VARCHAR -> TEXT, NUMERIC, DATE kept as "YYYY-MM-DD").
std::string SqlType(const Column& column);

// CREATE TABLE / CREATE INDEX statements of `table` for `backend`; with
// `ifNotExists`, what exists already is skipped (else it is an error).
std::vector<std::string> CreateStatements(const Table& table, Backend backend, bool ifNotExists = true);
std::vector<std::string> CreateStatements(const std::vector<Table>& tables, Backend backend);
// The CREATE INDEX statement of one index of `table`.
std::string CreateIndexStatement(const Table& table, const Index& index, bool ifNotExists = true);

// Looks a table of `tables` up by name (it must be there).
const Table& FindTable(const std::vector<Table>& tables, std::string_view name);

// Creates the latest schema on an empty database, or brings an older one up
// to date; DbError for a schema newer than this program knows.
void CreateSchema(soci::session& session);

}  // namespace db
