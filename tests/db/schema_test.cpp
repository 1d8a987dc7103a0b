#include "db/schema.h"

#include <gtest/gtest.h>

#include "db/connection.h"
#include "db/init_db.h"
#include "test_database.h"

namespace {

class SchemaTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { ZRM_SKIP_UNLESS_AVAILABLE(database_); }
    testdb::TestDatabase database_{GetParam()};
};

TEST_P(SchemaTest, EveryTableAndColumnExistsAndCreatingAgainChangesNothing) {
    db::InitDatabase(database_.Connect(), {.demo = true, .notes = 5});
    db::InitDatabase(database_.Connect());  // a second run keeps the data
    soci::session session;
    db::Open(session, database_.Connect());
    for (const auto& table : db::Tables()) {
        std::string columns;
        for (const auto& column : table.columns)
            columns += (columns.empty() ? "" : ", ") + column.name;
        EXPECT_NO_THROW(session << "SELECT " + columns + " FROM " + table.name + " WHERE 1 = 0")
            << table.name;
    }
    long long notes = 0;
    session << "SELECT COUNT(*) FROM NOTAENTRADA", soci::into(notes);
    EXPECT_EQ(notes, 5);
}

TEST_P(SchemaTest, PrimaryKeysRefuseDuplicates) {
    db::InitDatabase(database_.Connect());
    soci::session session;
    db::Open(session, database_.Connect());
    session
        << "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA, IDCTRLESTQ) VALUES ('0001', 'A', '01', 'S')";
    EXPECT_THROW(session << "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA, IDCTRLESTQ) VALUES ('0001', "
                            "'B', '01', 'S')",
                 soci::soci_error);
}

// The screens read the lookup tables with these statements and named
// parameters; the key parameter is null when the switch is "T".
TEST_P(SchemaTest, TheScreensLookupStatementsRunWithNamedParameters) {
    db::InitDatabase(database_.Connect(), {.demo = true, .notes = 10});
    soci::session session;
    db::Open(session, database_.Connect());
    struct Lookup {
        const char* sql;
        const char* keyParameter;
        const char* switchParameter;
        const char* key;
        long long all;  // rows with the switch "T"
    };
    const Lookup lookups[] = {
        {"SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))"
         " ORDER BY CDFILIAL",
         "P_CDFILIAL", "P_TCDFILIAL", "0003", 5},
        {"SELECT CDSERIEENTR, DSSERIEENTR FROM SERIEENTR"
         " WHERE ((CDSERIEENTR = :P_CDSERIEENTR) OR (:P_TCDSERIEENTR = 'T')) ORDER BY CDSERIEENTR",
         "P_CDSERIEENTR", "P_TCDSERIEENTR", "U", 5},
        {"SELECT CDTIPOOPER, NMTIPOOPER FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S' AND IDORIGDESTOP = 'L'"
         " AND ((CDTIPOOPER = :P_CDTIPOOPER) OR (:P_TCDTIPOOPER = 'T')) ORDER BY CDTIPOOPER",
         "P_CDTIPOOPER", "P_TCDTIPOOPER", "05", 3},
    };
    for (const auto& lookup : lookups) {
        std::string key;
        std::string all = "T";
        soci::indicator keyNull = soci::i_null;
        soci::indicator allOk = soci::i_ok;
        soci::rowset<soci::row> everything =
            (session.prepare << lookup.sql, soci::use(key, keyNull, lookup.keyParameter),
             soci::use(all, allOk, lookup.switchParameter));
        EXPECT_EQ(std::distance(everything.begin(), everything.end()), lookup.all) << lookup.sql;

        key = lookup.key;
        keyNull = soci::i_ok;
        allOk = soci::i_null;
        soci::rowset<soci::row> one =
            (session.prepare << lookup.sql, soci::use(key, keyNull, lookup.keyParameter),
             soci::use(all, allOk, lookup.switchParameter));
        auto it = one.begin();
        ASSERT_NE(it, one.end()) << lookup.sql;
        EXPECT_EQ(it->get<std::string>(0), lookup.key);
        EXPECT_EQ(++it, one.end());
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

}  // namespace

namespace {

// SQLite's plan names every table it reads whole ("SCAN N"); the
// selections of the server must search by index instead.
TEST(SchemaIndexes, SelectionsSearchByIndexInsteadOfScanningATable) {
    testdb::TestDatabase database("sqlite");
    db::InitDatabase(database.Connect(), {.demo = true, .notes = 50});
    soci::session session;
    db::Open(session, database.Connect());
    const char* selections[] = {
        "SELECT N.NRLANCTONF FROM NOTAENTRADA N WHERE N.CDFILIAL = '0001'"
        " AND N.DTENTRSAID >= '2026-03-01' AND N.DTENTRSAID <= '2026-03-31'",
        "SELECT I.NRSEQITPROD FROM ITEMENTRADA I WHERE I.CDFILIAL = '0001' AND I.NRLANCTONF = '0000000001'",
        "SELECT A.NRAUDITORIA FROM AUDITORIA A WHERE A.CDFILIAL = '0001' AND A.NRLANCTONF = '0000000001'"
        " AND A.NRSEQITPROD = '0001' AND A.IDSITUACAO = 'A'",
        "SELECT N.NRLANCTONF FROM NOTASAIDA N WHERE N.CDFILIENTR = '0001' AND N.NRLANCTOENT = '0000000001'",
        "SELECT E.QTESTOQUE FROM ESTOQUE E WHERE E.CDFILIAL = '0001' AND E.CDPRODUTO = '001001'"
        " AND E.CDALMOXARIFE = '000001' AND E.CDLOCALESTOQ = 'L01' AND E.NRLOTEESTQ = '' AND E.NRSUBLOTE = "
        "''",
    };
    for (const char* sql : selections) {
        soci::rowset<soci::row> plan = (session.prepare << std::string("EXPLAIN QUERY PLAN ") + sql);
        std::string text;
        for (const auto& row : plan)
            text += row.get<std::string>(3) + "\n";
        EXPECT_EQ(text.find("SCAN"), std::string::npos) << sql << "\n" << text;
        EXPECT_NE(text.find("USING"), std::string::npos) << sql << "\n" << text;
    }
}

// A SQLite session reads its file through a mapping and a page cache that
// grow with the file, instead of SQLite's small defaults (no mapping, 2 MB).
TEST(SqliteSession, MapsTheFileAndSizesItsPageCacheForIt) {
    testdb::TestDatabase database("sqlite");
    db::InitDatabase(database.Connect(), {.demo = true, .notes = 50});
    soci::session session;
    db::Open(session, database.Connect());
    long long mmapBytes = 0, cachePages = 0;
    session << "PRAGMA mmap_size", soci::into(mmapBytes);
    session << "PRAGMA cache_size", soci::into(cachePages);
    EXPECT_GE(mmapBytes, 256LL * 1024 * 1024);
    EXPECT_LE(cachePages, -8 * 1024) << "a negative size is in KiB: at least 8 MiB";
}

}  // namespace
