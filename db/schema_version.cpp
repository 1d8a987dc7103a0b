#include "db/schema_version.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "db/connection.h"
#include "db/schema.h"
#include "db/statistics.h"

namespace db {

namespace {

struct Migration {
    int version;
    void (*apply)(soci::session& session);
};

void Run(soci::session& session, const std::vector<std::string>& statements) {
    for (const auto& statement : statements)
        session << statement;
}

// 1: the tables as they stood before versions.
void CreateVersion1(soci::session& session) {
    Run(session, CreateStatements(TablesV1(), BackendOf(session)));
}

// 2: accounts; the user who generated a remittance note and its analyses.
void AddAccounts(soci::session& session) {
    Run(session, CreateStatements(UserTable(), BackendOf(session), false));
    const Column& user = UserColumn();
    for (const char* table : {"NOTASAIDA", "AUDITORIA"})
        session << std::string("ALTER TABLE ") + table + " ADD COLUMN " + user.name + " " + SqlType(user);
}

// 3: the answers of calls made with an idempotency key.
void AddIdempotencyKeys(soci::session& session) {
    Run(session, CreateStatements(IdempotencyTable(), BackendOf(session), false));
}

// 4: on SQLite the items move into a table stored in key order (copied
// row for row); on both backends the notes' date index gains the launch
// number.
void StoreItemsByKeyAndOrderNotesByDate(soci::session& session) {
    const Table& items = FindTable(Tables(), "ITEMENTRADA");
    if (BackendOf(session) == Backend::Sqlite) {
        Table moved = items;
        moved.name = items.name + "_V4";
        std::string columns;
        for (const auto& column : items.columns)
            columns += (columns.empty() ? "" : ", ") + column.name;
        Run(session, CreateStatements(moved, Backend::Sqlite, false));
        session << "INSERT INTO " + moved.name + " (" + columns + ") SELECT " + columns + " FROM " +
                       items.name;
        session << "DROP TABLE " + items.name;
        session << "ALTER TABLE " + moved.name + " RENAME TO " + items.name;
    }
    session << "DROP INDEX NOTAENTRADA_FILIAL_DATA";
    Run(session, {CreateIndexStatement(FindTable(Tables(), "NOTAENTRADA"), NotesByDateIndex(), false)});
}

constexpr Migration kMigrations[] = {
    {1, CreateVersion1},
    {2, AddAccounts},
    {3, AddIdempotencyKeys},
    {4, StoreItemsByKeyAndOrderNotesByDate},
};
static_assert(std::size(kMigrations) == kSchemaVersion, "one migration per version");

bool TableExists(soci::session& session, const std::string& name) {
    int count = 0;
    if (BackendOf(session) == Backend::Sqlite) {
        session << "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = :n", soci::use(name),
            soci::into(count);
    } else {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        session << "SELECT CASE WHEN to_regclass(:n) IS NULL THEN 0 ELSE 1 END", soci::use(lower),
            soci::into(count);
    }
    return count > 0;
}

int RecordedVersion(soci::session& session) {
    long long version = 0;
    soci::indicator indicator = soci::i_ok;
    session << "SELECT MAX(NRVERSAO) FROM " + VersionTable().name, soci::into(version, indicator);
    return indicator == soci::i_null ? 0 : static_cast<int>(version);
}

void Record(soci::session& session, int version) {
    session << "INSERT INTO " + VersionTable().name +
                   " (NRVERSAO, DTAPLICADA) VALUES (:v, CURRENT_TIMESTAMP)",
        soci::use(version);
}

// Makes concurrent upgrades of one PostgreSQL database take turns (until
// the transaction ends); SQLite's write transaction already holds the whole
// database.
void LockVersions(soci::session& session) {
    constexpr long long kSchemaLock = 0x7a726d5f73636865;  // any number the application owns
    if (BackendOf(session) == Backend::Postgres)
        session << "SELECT pg_advisory_xact_lock(" + std::to_string(kSchemaLock) + ")";
}

void CreateLatest(soci::session& session) {
    WriteTransaction tx(session);
    LockVersions(session);
    Run(session, CreateStatements(Tables(), BackendOf(session)));
    Run(session, CreateStatements(VersionTable(), BackendOf(session)));
    if (RecordedVersion(session) == 0)
        Record(session, kSchemaVersion);
    tx.Commit();
}

// Gives a database of version 1 made before versions existed its version
// table, so that the migrations after it can record themselves.
void AdoptVersion1(soci::session& session) {
    WriteTransaction tx(session);
    LockVersions(session);
    Run(session, CreateStatements(VersionTable(), BackendOf(session)));
    if (RecordedVersion(session) == 0 && TableExists(session, "NOTAENTRADA"))
        Record(session, 1);
    tx.Commit();
}

std::string TooNew(int version) {
    return "O banco de dados está no esquema versão " + std::to_string(version) +
           ", mais novo que a versão " + std::to_string(kSchemaVersion) +
           " deste programa: atualize o zrm-server e o zrm-host.";
}

}  // namespace

int SchemaVersion(soci::session& session) {
    try {
        if (TableExists(session, VersionTable().name)) {
            if (const int version = RecordedVersion(session); version > 0)
                return version;
        }
        return TableExists(session, "NOTAENTRADA") ? 1 : 0;
    } catch (const soci::soci_error& e) {
        throw DbError(std::string("cannot read the schema version: ") + e.what());
    }
}

Upgrade UpgradeSchema(soci::session& session, int target) {
    Upgrade upgrade;
    upgrade.from = SchemaVersion(session);
    upgrade.to = upgrade.from;
    if (upgrade.from > kSchemaVersion)
        throw DbError(TooNew(upgrade.from));
    if (target < 1 || target > kSchemaVersion)
        throw DbError("no schema version " + std::to_string(target));
    if (upgrade.from >= target)
        return upgrade;  // up to date: nothing written
    try {
        if (upgrade.from == 0 && target == kSchemaVersion) {
            CreateLatest(session);
            upgrade.to = kSchemaVersion;
            return upgrade;
        }
        AdoptVersion1(session);
        for (const Migration& migration : kMigrations) {
            if (migration.version > target)
                break;
            WriteTransaction tx(session);
            LockVersions(session);
            if (RecordedVersion(session) >= migration.version)
                continue;  // applied already, maybe by another process
            migration.apply(session);
            Record(session, migration.version);
            tx.Commit();
            upgrade.to = migration.version;
        }
    } catch (const soci::soci_error& e) {
        throw DbError("cannot upgrade the schema from version " + std::to_string(SchemaVersion(session)) +
                      ": " + e.what());
    }
    upgrade.to = std::max(upgrade.to, SchemaVersion(session));
    if (upgrade.to != upgrade.from)
        Analyze(session);  // migrations may have rewritten tables
    return upgrade;
}

void RequireCurrentSchema(soci::session& session, std::string_view connect) {
    const int version = SchemaVersion(session);
    if (version == kSchemaVersion)
        return;
    if (version > kSchemaVersion)
        throw DbError(TooNew(version));
    const std::string shown = MaskPassword(connect);
    if (version == 0)
        throw DbError(
            "O banco de dados não tem as tabelas do sistema: crie-as com zrm-server init-db --db \"" + shown +
            "\"");
    throw DbError("O banco de dados está no esquema versão " + std::to_string(version) +
                  " e este programa usa a versão " + std::to_string(kSchemaVersion) +
                  ": atualize-o com zrm-server migrate --db \"" + shown + "\"");
}

}  // namespace db
