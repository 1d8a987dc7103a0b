#include "db/schema_version.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <thread>

#include "db/connection.h"
#include "db/demo_data.h"
#include "db/init_db.h"
#include "db/schema.h"
#include "test_database.h"

namespace {

std::string CellText(const soci::row& row, std::size_t i) {
    if (row.get_indicator(i) == soci::i_null)
        return "NULL";
    switch (row.get_properties(i).get_data_type()) {
        case soci::dt_string:
            return row.get<std::string>(i);
        case soci::dt_double:
            return std::to_string(row.get<double>(i));
        case soci::dt_integer:
            return std::to_string(row.get<int>(i));
        case soci::dt_long_long:
            return std::to_string(row.get<long long>(i));
        case soci::dt_unsigned_long_long:
            return std::to_string(row.get<unsigned long long>(i));
        case soci::dt_date: {
            std::tm tm = row.get<std::tm>(i);
            char text[32];
            std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
            return text;
        }
        default:
            return "?";
    }
}

std::string Rows(soci::session& session, const std::string& sql) {
    std::string out;
    soci::rowset<soci::row> rows = session.prepare << sql;
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            out += CellText(row, i) + "|";
        out += "\n";
    }
    return out;
}

// Every row of every version-1 table, in key order, as text.
std::string Version1Contents(soci::session& session) {
    std::string out;
    for (const auto& table : db::TablesV1()) {
        std::string columns;
        for (const auto& column : table.columns)
            columns += (columns.empty() ? "" : ", ") + column.name;
        std::string key;
        for (const auto& column : table.primaryKey)
            key += (key.empty() ? "" : ", ") + column;
        out += table.name + "\n" +
               Rows(session, "SELECT " + columns + " FROM " + table.name + " ORDER BY " + key);
    }
    return out;
}

// Tables, columns with their types and nullability, keys and indexes, as
// the database itself describes them.
std::string Describe(soci::session& session) {
    if (db::BackendOf(session) == db::Backend::Sqlite) {
        return Rows(session,
                    "SELECT m.name, p.cid, p.name, p.type, p.\"notnull\", p.pk FROM sqlite_master m"
                    " JOIN pragma_table_info(m.name) p WHERE m.type = 'table' ORDER BY m.name, p.cid") +
               Rows(session,
                    "SELECT m.name, il.name, il.\"unique\", ii.seqno, ii.name FROM sqlite_master m"
                    " JOIN pragma_index_list(m.name) il JOIN pragma_index_info(il.name) ii"
                    " WHERE m.type = 'table' ORDER BY m.name, il.name, ii.seqno") +
               Rows(session,  // how each table stores its rows: by rowid, or by key (wr = 1)
                    "SELECT name, wr FROM pragma_table_list WHERE schema = 'main' AND type = 'table'"
                    " ORDER BY name");
    }
    return Rows(session,
                "SELECT table_name, ordinal_position, column_name, data_type,"
                " COALESCE(character_maximum_length, 0), COALESCE(numeric_precision, 0),"
                " COALESCE(numeric_scale, 0), is_nullable FROM information_schema.columns"
                " WHERE table_schema = current_schema() ORDER BY table_name, ordinal_position") +
           Rows(session,
                "SELECT indexname, replace(indexdef, current_schema() || '.', '') FROM pg_indexes"
                " WHERE schemaname = current_schema() ORDER BY indexname");
}

std::string Versions(soci::session& session) {
    return Rows(session, "SELECT NRVERSAO FROM VERSAOESQUEMA ORDER BY NRVERSAO");
}

// Versions as a database upgraded from version 1 records them: each once.
std::string EveryVersion() {
    std::string rows;
    for (int version = 1; version <= db::kSchemaVersion; ++version)
        rows += std::to_string(version) + "|\n";
    return rows;
}

// A database as version 1 left it: its tables, no version table.
void CreateVersion1(soci::session& session) {
    for (const auto& statement : db::CreateStatements(db::TablesV1(), db::BackendOf(session)))
        session << statement;
}

std::string RefusalOf(soci::session& session, const std::string& connect) {
    try {
        db::RequireCurrentSchema(session, connect);
    } catch (const db::DbError& e) {
        return e.what();
    }
    return "";
}

class SchemaVersionTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ZRM_SKIP_UNLESS_AVAILABLE(database_);
        db::Open(session_, database_.Connect());
    }
    testdb::TestDatabase database_{GetParam()};
    soci::session session_;
};

TEST_P(SchemaVersionTest, AVersion1DatabaseWithDataUpgradesToTheFreshSchemaLosingNothing) {
    CreateVersion1(session_);
    db::InsertDemoData(session_, {.notes = 30});
    // Remittances generated before accounts existed.
    long long shipped = 0;
    session_ << "SELECT COUNT(*) FROM NOTASAIDA", soci::into(shipped);
    ASSERT_GT(shipped, 0);
    const std::string before = Version1Contents(session_);
    ASSERT_EQ(db::SchemaVersion(session_), 1);

    const db::Upgrade upgrade = db::UpgradeSchema(session_);
    EXPECT_EQ(upgrade.from, 1);
    EXPECT_EQ(upgrade.to, db::kSchemaVersion);
    EXPECT_EQ(db::SchemaVersion(session_), db::kSchemaVersion);
    EXPECT_EQ(Version1Contents(session_), before);
    long long withoutUser = 0;
    session_ << "SELECT COUNT(*) FROM NOTASAIDA WHERE CDUSUARIO IS NULL", soci::into(withoutUser);
    EXPECT_EQ(withoutUser, shipped);
    EXPECT_NO_THROW(db::RequireCurrentSchema(session_, database_.Connect()));

    testdb::TestDatabase freshDatabase(GetParam());
    db::InitDatabase(freshDatabase.Connect());
    soci::session fresh;
    db::Open(fresh, freshDatabase.Connect());
    EXPECT_EQ(Describe(session_), Describe(fresh));
    EXPECT_EQ(Versions(fresh), std::to_string(db::kSchemaVersion) + "|\n");

    // Up to date: nothing to do, nothing recorded.
    const std::string versions = Versions(session_);
    EXPECT_EQ(versions, EveryVersion());
    const db::Upgrade again = db::UpgradeSchema(session_);
    EXPECT_EQ(again.from, again.to);
    EXPECT_EQ(Versions(session_), versions);
}

TEST_P(SchemaVersionTest, TheMigrationsFromAnEmptyDatabaseGiveTheSchemaInitDbCreates) {
    EXPECT_EQ(db::SchemaVersion(session_), 0);
    EXPECT_EQ(db::UpgradeSchema(session_, 1).to, 1);
    EXPECT_EQ(db::UpgradeSchema(session_).to, db::kSchemaVersion);

    testdb::TestDatabase freshDatabase(GetParam());
    db::InitDatabase(freshDatabase.Connect());
    soci::session fresh;
    db::Open(fresh, freshDatabase.Connect());
    EXPECT_EQ(Describe(session_), Describe(fresh));
}

TEST_P(SchemaVersionTest, AMigrationThatFailsLeavesTheVersionBeforeIt) {
    CreateVersion1(session_);
    // A column the accounts migration is about to add: its ALTER fails.
    session_ << "ALTER TABLE AUDITORIA ADD COLUMN CDUSUARIO VARCHAR(20)";
    EXPECT_THROW(db::UpgradeSchema(session_), db::DbError);
    EXPECT_EQ(db::SchemaVersion(session_), 1);
    long long users = -1;
    EXPECT_THROW((session_ << "SELECT COUNT(*) FROM USUARIO", soci::into(users)), soci::soci_error);
}

TEST_P(SchemaVersionTest, ConcurrentUpgradesApplyEachMigrationOnce) {
    CreateVersion1(session_);
    std::string errors[2];
    std::thread upgraders[2];
    for (int i = 0; i < 2; ++i) {
        upgraders[i] = std::thread([&, i] {
            try {
                soci::session session;
                db::Open(session, database_.Connect());
                db::UpgradeSchema(session);
            } catch (const std::exception& e) {
                errors[i] = e.what();
            }
        });
    }
    for (auto& upgrader : upgraders)
        upgrader.join();
    EXPECT_EQ(errors[0], "");
    EXPECT_EQ(errors[1], "");
    EXPECT_EQ(Versions(session_), EveryVersion());
}

TEST_P(SchemaVersionTest, AProgramRefusesAnotherVersionNamingBothAndTheCommand) {
    const std::string connect = database_.Connect();
    EXPECT_NE(RefusalOf(session_, connect).find("zrm-server init-db"), std::string::npos);

    CreateVersion1(session_);
    const std::string older = RefusalOf(session_, connect);
    EXPECT_NE(older.find("versão 1"), std::string::npos) << older;
    const std::string current = "versão " + std::to_string(db::kSchemaVersion);
    EXPECT_NE(older.find(current), std::string::npos) << older;
    EXPECT_NE(older.find("zrm-server migrate --db \"" + connect + "\""), std::string::npos) << older;

    db::UpgradeSchema(session_);
    session_ << "INSERT INTO VERSAOESQUEMA (NRVERSAO, DTAPLICADA) VALUES (9, CURRENT_TIMESTAMP)";
    const std::string newer = RefusalOf(session_, connect);
    EXPECT_NE(newer.find("versão 9"), std::string::npos) << newer;
    EXPECT_NE(newer.find(current), std::string::npos) << newer;
    // Nor does an older program touch it.
    EXPECT_THROW(db::UpgradeSchema(session_), db::DbError);
    EXPECT_EQ(Versions(session_), EveryVersion() + "9|\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaVersionTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

TEST(MaskPassword, HidesThePasswordValueOnly) {
    const struct {
        const char* connect;
        const char* shown;
    } cases[] = {
        {"sqlite3://db=var/zrm.db", "sqlite3://db=var/zrm.db"},
        {"postgresql://host=db port=5432 password=s3cret user=zrm",
         "postgresql://host=db port=5432 password=*** user=zrm"},
        {"postgresql://password=s3cret", "postgresql://password=***"},
        {"postgresql://password='with space\\' quote' dbname=zrm", "postgresql://password=*** dbname=zrm"},
        {"postgresql://user=mypassword=x dbname=zrm", "postgresql://user=mypassword=x dbname=zrm"},
        {"postgresql://password= dbname=zrm", "postgresql://password=*** dbname=zrm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(db::MaskPassword(c.connect), c.shown) << c.connect;
}

}  // namespace
