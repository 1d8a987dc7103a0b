#include "db/schema.h"

#include <algorithm>

#include "db/schema_version.h"

namespace db {

namespace {

std::string Join(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) {
        if (!out.empty())
            out += ", ";
        out += name;
    }
    return out;
}

Table& Find(std::vector<Table>& tables, const std::string& name) {
    return *std::find_if(tables.begin(), tables.end(), [&](const Table& t) { return t.name == name; });
}

// Version 1 plus every migration since, in order. ALTER TABLE appends
// columns at the end, so they are appended here too.
std::vector<Table> BuildLatest() {
    std::vector<Table> tables = TablesV1();
    // 2: accounts.
    tables.push_back(UserTable());
    Find(tables, "NOTASAIDA").columns.push_back(UserColumn());
    Find(tables, "AUDITORIA").columns.push_back(UserColumn());
    // 3: idempotency keys.
    tables.push_back(IdempotencyTable());
    // 4: items stored in key order; the notes' date index also orders a
    // day's notes by launch number, so selections need no sort.
    Find(tables, "ITEMENTRADA").storedByKey = true;
    Find(tables, "NOTAENTRADA").indexes = {NotesByDateIndex()};
    return tables;
}

}  // namespace

const std::vector<Table>& Tables() {
    static const std::vector<Table> tables = BuildLatest();
    return tables;
}

const Index& NotesByDateIndex() {
    static const Index index{
        "NOTAENTRADA_FILIAL_DATA_LANCTO", {"CDFILIAL", "DTENTRSAID", "NRLANCTONF"}, false};
    return index;
}

const Table& FindTable(const std::vector<Table>& tables, std::string_view name) {
    return *std::find_if(tables.begin(), tables.end(), [&](const Table& t) { return t.name == name; });
}

const Table& VersionTable() {
    static const Table table{
        "VERSAOESQUEMA",
        {{"NRVERSAO", ColumnKind::Integer, 0, true}, {"DTAPLICADA", ColumnKind::Timestamp, 0, true}},
        {"NRVERSAO"},
        {}};
    return table;
}

const Table& UserTable() {
    static const Table table{"USUARIO",
                             {{"CDUSUARIO", ColumnKind::Text, 20, true},
                              {"NMUSUARIO", ColumnKind::Text, 60, false},
                              {"CDFILIAL", ColumnKind::Text, 4, true},
                              {"DSHASH", ColumnKind::Text, 255, true},
                              {"IDATIVO", ColumnKind::Text, 1, true},
                              {"IDGERA", ColumnKind::Text, 1, true}},
                             {"CDUSUARIO"},
                             {}};
    return table;
}

const Column& UserColumn() {
    static const Column column{"CDUSUARIO", ColumnKind::Text, 20, false};
    return column;
}

const Table& IdempotencyTable() {
    static const Table table{"IDEMPOTENCIA",
                             {{"CDUSUARIO", ColumnKind::Text, 20, true},
                              {"CDCHAVE", ColumnKind::Text, 64, true},
                              {"DSHASHPEDIDO", ColumnKind::Text, 64, true},
                              {"DSRESPOSTA", ColumnKind::LongText, 0, true},
                              {"NRCRIACAO", ColumnKind::Integer, 0, true}},
                             {"CDUSUARIO", "CDCHAVE"},
                             {{"IDEMPOTENCIA_CRIACAO", {"NRCRIACAO"}, false}}};
    return table;
}

std::string SqlType(const Column& column) {
    switch (column.kind) {
        case ColumnKind::Text:
            return "VARCHAR(" + std::to_string(column.size) + ")";
        case ColumnKind::Quantity:
            return "NUMERIC(15,3)";
        case ColumnKind::Money:
            return "NUMERIC(15,2)";
        case ColumnKind::Date:
            return "DATE";
        case ColumnKind::Integer:
            return "BIGINT";
        case ColumnKind::Timestamp:
            return "TIMESTAMP";
        case ColumnKind::LongText:
            return "TEXT";
    }
    return "VARCHAR(1)";
}

std::string CreateIndexStatement(const Table& table, const Index& index, bool ifNotExists) {
    return std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " +
           (ifNotExists ? "IF NOT EXISTS " : "") + index.name + " ON " + table.name + " (" +
           Join(index.columns) + ")";
}

std::vector<std::string> CreateStatements(const Table& table, Backend backend, bool ifNotExists) {
    std::vector<std::string> out;
    std::string ddl = "CREATE TABLE " + std::string(ifNotExists ? "IF NOT EXISTS " : "") + table.name + " (";
    for (const auto& column : table.columns) {
        ddl += column.name + " " + SqlType(column);
        if (column.notNull)
            ddl += " NOT NULL";
        ddl += ", ";
    }
    ddl += "PRIMARY KEY (" + Join(table.primaryKey) + "))";
    if (table.storedByKey && backend == Backend::Sqlite)
        ddl += " WITHOUT ROWID";
    out.push_back(std::move(ddl));
    for (const auto& index : table.indexes)
        out.push_back(CreateIndexStatement(table, index, ifNotExists));
    return out;
}

std::vector<std::string> CreateStatements(const std::vector<Table>& tables, Backend backend) {
    std::vector<std::string> out;
    for (const auto& table : tables) {
        auto statements = CreateStatements(table, backend);
        out.insert(out.end(), statements.begin(), statements.end());
    }
    return out;
}

void CreateSchema(soci::session& session) {
    UpgradeSchema(session);
}

}  // namespace db
