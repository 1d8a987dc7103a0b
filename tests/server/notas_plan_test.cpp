// The plans of getNotasFiscais' statements on a database nobody analysed:
// each starts from the notes' index (the branch and dates, or the key), or
// the items' key, so its cost follows the result, not the branch's history;
// and the rows come in the answer's order, so none waits for a sort.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/connection.h"
#include "db/demo_data.h"
#include "db/init_db.h"
#include "db/schema.h"
#include "server/notas_sql.h"
#include "server/session_pool.h"
#include "test_database.h"

namespace {

// SQLite's plan, one line per step.
std::string Plan(soci::session& session, const std::string& sql, const std::vector<std::string>& values) {
    server::SqlQuery explain("EXPLAIN QUERY PLAN " + sql);
    for (const auto& value : values)
        explain.Add("", value);
    int id = 0, parent = 0, unused = 0;
    std::string detail, plan;
    server::RunQuery(
        session, explain,
        [&](soci::statement& s) {
            s.exchange(soci::into(id));
            s.exchange(soci::into(parent));
            s.exchange(soci::into(unused));
            s.exchange(soci::into(detail));
        },
        [&] { plan += detail + "\n"; });
    return plan;
}

bool Analysed(soci::session& session) {
    long long tables = 0;
    session << "SELECT COUNT(*) FROM sqlite_master WHERE name = 'sqlite_stat1'", soci::into(tables);
    return tables > 0;
}

class NotasPlan : public ::testing::Test {
protected:
    void SetUp() override {
        // Built the way another tool might: schema and rows, no statistics.
        db::Open(session_, database_.Connect());
        db::CreateSchema(session_);
        db::InsertDemoData(session_, {.notes = 2000});
        ASSERT_FALSE(Analysed(session_));
    }

    testdb::TestDatabase database_{"sqlite"};
    soci::session session_;
};

TEST_F(NotasPlan, EverySelectionStartsFromTheNotesIndexWithoutStatistics) {
    using server::NotesFilter;
    const struct {
        const char* name;
        server::SqlQuery where;
        const char* index;  // of NOTAENTRADA, where the plan starts
        bool inOrder;       // the index gives the listing's order: no sort holds the rows back
    } cases[] = {
        {"one day of a branch",
         server::NotesFilterWhere(NotesFilter{"0001", "2026-03-02", "2026-03-02", "", "", ""}),
         "NOTAENTRADA_FILIAL_DATA_LANCTO", true},
        {"a year with every field",
         server::NotesFilterWhere({"0001", "2026-01-01", "2026-12-31", "000004", "1", "26"}),
         "NOTAENTRADA_FILIAL_DATA_LANCTO", true},
        {"a note by its key", server::NoteKeyWhere("0001", "0000000040"), "sqlite_autoindex_NOTAENTRADA_1",
         false},
    };
    for (const auto& c : cases) {
        for (const bool pending : {true, false}) {
            const std::string plan =
                Plan(session_, server::NotesSql(c.where.Text(), pending), c.where.Values());
            const std::string first = plan.substr(0, plan.find('\n'));
            EXPECT_TRUE(first.starts_with("SEARCH N ") && first.find(c.index) != std::string::npos)
                << c.name << "\n"
                << plan;
            EXPECT_EQ(plan.find("SCAN "), std::string::npos) << c.name << "\n" << plan;
            if (c.inOrder) {
                EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << c.name << "\n" << plan;
            }
        }
    }
}

TEST_F(NotasPlan, ItemsComeByTheirKeyInTheAnswersOrder) {
    for (const std::vector<std::string>& launches :
         {std::vector<std::string>{"0000000040"},
          std::vector<std::string>{"0000000003", "0000000040", "0000000977"}}) {
        const server::SqlQuery query = server::ItemsOfNotesQuery("0001", launches);
        const std::string plan = Plan(session_, query.Text(), query.Values());
        EXPECT_TRUE(plan.starts_with("SEARCH I USING PRIMARY KEY (CDFILIAL=? AND NRLANCTONF=?)")) << plan;
        EXPECT_EQ(plan.find("SCAN "), std::string::npos) << plan;
        EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
    }
}

TEST_F(NotasPlan, InitDbAndTheServerLeaveStatistics) {
    server::SessionPool pool(database_.Connect(), 2);
    {
        auto lease = pool.Acquire();
        EXPECT_TRUE(Analysed(*lease)) << "a file never analysed is analysed when the server opens it";
    }
    testdb::TestDatabase fresh("sqlite");
    db::InitDatabase(fresh.Connect(), {.demo = true, .notes = 20});
    soci::session session;
    db::Open(session, fresh.Connect());
    EXPECT_TRUE(Analysed(session)) << "init-db leaves statistics";
}

}  // namespace
