// Rows read straight through SQLite give the cells SOCI's bulk fetch gives,
// for every form a stored value can take: NULLs from a join that finds
// nothing, numbers stored as integers, as reals of any length and as text,
// reals whose 15-digit text reads back differently, malformed dates, and
// texts with escapes, multi-byte and invalid UTF-8.
#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "cell_text.h"
#include "db/connection.h"
#include "db/schema.h"
#include "server/notas_sql.h"
#include "server/row_batch.h"
#include "server/sqlite_rows.h"
#include "test_database.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows ThroughSoci(soci::session& session, const server::SqlQuery& query,
                 std::span<const server::SelectedColumn> columns) {
    Rows rows;
    server::RowBatch batch(columns, 3);  // several batches
    std::vector<vcl::Cell> cells;
    server::FetchBatches(session, query, batch, [&] {
        for (std::size_t row = 0; row < batch.Size(); ++row) {
            server::RowCells(batch, row, cells);
            auto& out = rows.emplace_back();
            for (const auto& cell : cells)
                out.push_back(DescribeCell(cell));
        }
    });
    return rows;
}

Rows ThroughSqlite(server::SqliteRows& reader, const server::SqlQuery& query) {
    Rows rows;
    reader.Run(query, [&](std::span<const vcl::Cell> cells) {
        auto& out = rows.emplace_back();
        for (const auto& cell : cells)
            out.push_back(DescribeCell(cell));
    });
    return rows;
}

class SqliteRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        db::Open(session_, database_.Connect());
        db::CreateSchema(session_);
        session_ << "INSERT INTO FORNECEDOR VALUES ('F1', 'J', '12.345.678/0001-90', 'Fornecedor')";
        session_
            << "INSERT INTO PRODUTO VALUES ('P1', 'A.01', 'Parafuso \"sextavado\" 1/2\\ – ção 🙂', "
               "'UN', 'P1')";
        session_ << "INSERT INTO PRODUTO VALUES ('P2', CAST(x'41ff42' AS TEXT),"
                    " 'tab\tline\n' || char(1) || char(0) || 'nul', 'KG', 'P2')";
    }
    void Note(const std::string& launch, const std::string& supplier, const std::string& date,
              const std::string& value) {
        session_ << "INSERT INTO NOTAENTRADA VALUES ('0001', '" + launch + "', '" + supplier +
                        "', '123', '1', " + date + ", " + value + ", '0001')";
    }
    // An item of note 1 with the given SQL literals.
    void Item(const std::string& seq, const std::string& product, const std::string& qty,
              const std::string& sent, const std::string& unit, const std::string& expiry) {
        session_ << "INSERT INTO ITEMENTRADA VALUES ('0001', '1', '" + seq + "', '" + product + "', " + qty +
                        ", " + unit + ", 0, '0001', '01', '01', 'L" + seq + "', '', " + expiry + ", " + sent +
                        ")";
    }

    testdb::TestDatabase database_{"sqlite"};
    soci::session session_;
};

TEST_F(SqliteRowsTest, GivesTheCellsOfTheBulkFetchForEveryFormOfStoredValue) {
    session_ << "PRAGMA foreign_keys = OFF";  // rows no screen would write, as old files may hold
    Note("1", "F1", "'2026-03-15'", "1234.56");
    Note("2", "NOSUCH", "'2026-03-15'", "1e20");  // the supplier join finds nothing
    Note("3", "F1", "'2026-3-5x'", "1e999");      // a date that does not parse; infinity
    Item("0001", "P1", "10", "0", "0.1", "'2026-12-31'");
    Item("0002", "P2", "0.30000000000000004", "0.1", "0.33333333333333331", "NULL");
    // Remaining 0.0004999999999999999: its 15-digit text 0.0005 rounds up to 0.001, the double down to 0.
    Item("0003", "NOSUCH", "0.0004999999999999999", "0", "123456789.123456789", "'31/12/2026'");
    Item("0004", "P1", "5", "7", "'12.5'", "'2026-02-30'");  // more sent than received; a text price
    Item("0005", "P1", "3", "0", "1e300", "''");
    Item("0006", "P1", "4", "1", "'abc'", "'2026-06-01T10:00:00'");
    Item("0007", "P2", "1e999", "0", "-1e999", "NULL");
    session_
        << "INSERT INTO AUDITORIA VALUES ('1', '0001', '1', '0006', '0001', '9', 1, 'A', '2026-06-02', NULL)";

    const server::SqlQuery items = server::ItemsOfNotesQuery("0001", std::vector<std::string>{"1"});
    // A placeholder's look-alike inside quotes stays text.
    server::SqlQuery notes(
        server::NotesSql("N.CDFILIAL = :b AND N.NRNOTAFISC <> ':n' AND N.CDSERIEENTR = :s", false));
    notes.Add("", "0001").Add("", "1");
    for (const auto& [name, query, columns] : {std::tuple{"items", items, server::ItemColumns()},
                                               std::tuple{"notes", notes, server::NoteColumns(false)}}) {
        server::SqliteRows reader(session_, columns);
        const Rows expected = ThroughSoci(session_, query, columns);
        ASSERT_EQ(expected.size(), std::string(name) == "items" ? 7u : 3u) << name;
        EXPECT_EQ(ThroughSqlite(reader, query), expected) << name;
        EXPECT_EQ(ThroughSqlite(reader, query), expected) << name << ", the statement reused";
    }
}

TEST_F(SqliteRowsTest, AStatementThatFailsThrowsAsSociDoesAndTheReaderStaysUsable) {
    server::SqliteRows reader(session_, server::ItemColumns());
    server::SqlQuery broken("SELECT " + server::SelectList(server::ItemColumns()) + " FROM NOSUCH I");
    EXPECT_THROW(ThroughSqlite(reader, broken), soci::soci_error);
    server::SqlQuery wrongColumns("SELECT 1 FROM PRODUTO");
    EXPECT_THROW(ThroughSqlite(reader, wrongColumns), soci::soci_error);
    server::SqlQuery missingValue("SELECT " + server::SelectList(server::ItemColumns()) +
                                  " FROM ITEMENTRADA I LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                                  " WHERE I.CDFILIAL = :b");
    EXPECT_THROW(ThroughSqlite(reader, missingValue), soci::soci_error);
    Note("1", "F1", "'2026-03-15'", "1");
    Item("0001", "P1", "1", "0", "1", "NULL");
    EXPECT_EQ(ThroughSqlite(reader, server::ItemsOfNotesQuery("0001", std::vector<std::string>{"1"})).size(),
              1u);
}

}  // namespace
