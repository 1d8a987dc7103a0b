// The application's tables, declared once and rendered as DDL for SQLite or
// PostgreSQL.
#pragma once

#include <soci/soci.h>

#include <string>
#include <vector>

#include "db/connection.h"

namespace db {

enum class ColumnKind {
    Text,      // VARCHAR(size): codes and names
    Quantity,  // exact to 3 decimals
    Money,     // exact to 2 decimals
    Date,
    Integer,
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
};

const std::vector<Table>& Tables();

// CREATE TABLE / CREATE INDEX statements, all IF NOT EXISTS. The types
// render identically on both backends; SQLite maps them to its affinities
// (VARCHAR -> TEXT, NUMERIC, DATE kept as the text "YYYY-MM-DD").
std::vector<std::string> SchemaStatements();

// Creates every table and index that is missing.
void CreateSchema(soci::session& session);

}  // namespace db
