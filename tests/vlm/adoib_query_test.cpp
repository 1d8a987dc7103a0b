#include "vlm/adoib_query.h"

#include <gtest/gtest.h>
#include <soci/soci.h>

#include <cstdlib>
#include <ostream>

#include "vcl/exceptions.h"
#include "vlm/db_geral.h"
#include "vlm/sql_params.h"

namespace vlm {
namespace {

TEST(SqlParams, NamesComeOnceInOrderSkippingQuotesCommentsAndCasts) {
    const char* sql =
        "SELECT ':P_NAO', \"a:b\" FROM T -- :P_COMENTARIO\n"
        " WHERE ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T')) AND X = :P_CDFILIAL AND Y = Z::text";
    EXPECT_EQ(sql::ParamNames(sql), (std::vector<std::string>{"P_CDFILIAL", "P_TCDFILIAL"}));
    const sql::BindableSql bindable = sql::MakeBindable(sql);
    EXPECT_EQ(bindable.occurrences, (std::vector<std::string>{"P_CDFILIAL", "P_TCDFILIAL", "P_CDFILIAL"}));
    EXPECT_NE(bindable.text.find("(CDFILIAL = :zrm_p1) OR (:zrm_p2 = 'T')"), std::string::npos);
    EXPECT_NE(bindable.text.find("':P_NAO'"), std::string::npos);
    EXPECT_NE(bindable.text.find("Z::text"), std::string::npos);
}

// The lookup queries run on every backend: SQLite in memory always,
// PostgreSQL when ZRM_PG_CONNECT names a database (skipped otherwise).
enum class Backend { SQLite, PostgreSQL };
void PrintTo(Backend backend, std::ostream* out) {
    *out << (backend == Backend::SQLite ? "SQLite" : "PostgreSQL");
}

std::string ConnectText(Backend backend) {
    if (backend == Backend::SQLite)
        return "sqlite3://db=:memory:";
    const char* pg = std::getenv("ZRM_PG_CONNECT");
    return pg != nullptr ? pg : "";
}

class LookupQueryTest : public ::testing::TestWithParam<Backend> {
protected:
    TdtmDBGeral database{ConnectText(GetParam())};
    TADOIBQuery qryFilial{nullptr, "qryFilial", database};

    void SetUp() override {
        if (database.ConnectString().empty())
            GTEST_SKIP() << "ZRM_PG_CONNECT is not set";
        soci::session& session = database.Session();
        // A temporary table shadows any FILIAL of the database for this session only.
        session << "CREATE TEMP TABLE FILIAL (CDFILIAL VARCHAR(4), NMFILIAL VARCHAR(100), NRDIAS INTEGER)";
        session << "INSERT INTO FILIAL VALUES ('0002', 'Filial Sul', 30)";
        session << "INSERT INTO FILIAL VALUES ('0001', 'Matriz', NULL)";
        session << "INSERT INTO FILIAL VALUES ('0003', 'O''Brien', 7)";
        qryFilial.SQL = {"SELECT CDFILIAL, NMFILIAL", "  FROM FILIAL",
                         " WHERE ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))", " ORDER BY CDFILIAL"};
        qryFilial.SQL_IB = qryFilial.SQL;
        qryFilial.AddStringField("CDFILIAL", 4, "Código");
        qryFilial.AddStringField("NMFILIAL", 100, "Nome");
    }

    std::vector<std::string> Codes() {
        std::vector<std::string> codes;
        for (qryFilial.Query.First(); !qryFilial.Query.Eof(); qryFilial.Query.Next()) {
            codes.push_back(qryFilial.FieldByName("CDFILIAL").AsString());
        }
        return codes;
    }
};

TEST_P(LookupQueryTest, TheSwitchTSelectsEveryRowInKeyOrder) {
    qryFilial.Close();
    qryFilial.ParamByName("P_CDFILIAL").Clear();
    qryFilial.ParamByName("P_TCDFILIAL").SetValue("T");
    qryFilial.Open();
    EXPECT_TRUE(qryFilial.Active());
    EXPECT_EQ(Codes(), (std::vector<std::string>{"0001", "0002", "0003"}));
    qryFilial.Query.Last();
    EXPECT_EQ(qryFilial.FieldByName("NMFILIAL").AsString(), "O'Brien");
    EXPECT_EQ(qryFilial.FieldByName("CDFILIAL").DisplayLabel, "Código");
}

TEST_P(LookupQueryTest, AKeyWithANullSwitchSelectsTheMatchingRowOnly) {
    struct Case {
        const char* key;
        std::vector<std::string> codes;
    };
    const Case cases[] = {{"0002", {"0002"}}, {"9999", {}}, {"0001' OR '1'='1", {}}};
    for (const Case& c : cases) {
        qryFilial.Close();
        qryFilial.ParamByName("P_CDFILIAL").SetValue(c.key);
        qryFilial.ParamByName("P_TCDFILIAL").Clear();
        qryFilial.Open();
        EXPECT_EQ(Codes(), c.codes) << c.key;
        EXPECT_EQ(qryFilial.IsEmpty(), c.codes.empty()) << c.key;
    }
    qryFilial.Close();
    qryFilial.ParamByName("P_CDFILIAL").Clear();
    qryFilial.Open();
    EXPECT_TRUE(qryFilial.IsEmpty()) << "both parameters null select nothing";
}

TEST_P(LookupQueryTest, AParameterUsedTwiceBindsEveryOccurrence) {
    qryFilial.SQL = {"SELECT CDFILIAL, NMFILIAL FROM FILIAL",
                     " WHERE CDFILIAL >= :P_CDFILIAL AND CDFILIAL <= :P_CDFILIAL"};
    qryFilial.ParamByName("P_CDFILIAL").SetValue("0003");
    qryFilial.Open();
    EXPECT_EQ(Codes(), std::vector<std::string>{"0003"});
    EXPECT_EQ(qryFilial.ParamNames(), std::vector<std::string>{"P_CDFILIAL"});
}

TEST_P(LookupQueryTest, FieldsKeepTheirGetTextAndNonTextColumnsArriveAsText) {
    qryFilial.SQL = {"SELECT CDFILIAL, NMFILIAL, NRDIAS FROM FILIAL WHERE (:P_T = 'T') ORDER BY CDFILIAL"};
    qryFilial.AddStringField("NRDIAS", 10);
    qryFilial.FieldByName("NMFILIAL").OnGetText = [](vcl::TField* field, std::string& text, bool) {
        text = "<" + field->AsString() + ">";
    };
    qryFilial.ParamByName("P_T").SetValue("T");
    qryFilial.Open();
    EXPECT_EQ(qryFilial.FieldByName("NMFILIAL").DisplayText(), "<Matriz>");
    EXPECT_TRUE(qryFilial.FieldByName("NRDIAS").IsNull());
    qryFilial.Query.Next();
    EXPECT_EQ(qryFilial.FieldByName("NRDIAS").AsString(), "30");
}

TEST_P(LookupQueryTest, ErrorsNameTheQueryAndLeaveItClosed) {
    EXPECT_THROW(qryFilial.ParamByName("P_NAO_EXISTE"), vcl::EDatabaseError);

    qryFilial.SQL = {"SELECT CDFILIAL, NMFILIAL FROM TABELA_QUE_NAO_EXISTE"};
    try {
        qryFilial.Open();
        FAIL() << "no exception";
    } catch (const vcl::EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("qryFilial"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(qryFilial.Active());

    qryFilial.SQL = {"SELECT CDFILIAL FROM FILIAL"};  // the declared NMFILIAL is missing
    EXPECT_THROW(qryFilial.Open(), vcl::EDatabaseError);
    EXPECT_FALSE(qryFilial.Active());
}

INSTANTIATE_TEST_SUITE_P(Backends, LookupQueryTest, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) {
                             return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL";
                         });

TEST(DatabaseModule, ABadConnectionTextIsAClearError) {
    TdtmDBGeral none;
    EXPECT_THROW(none.Session(), vcl::EDatabaseError);
    TdtmDBGeral unknown("mysql://db=x");
    EXPECT_THROW(unknown.Open(), vcl::EDatabaseError);
    TdtmDBGeral missingDir("sqlite3://db=/nao/existe/dir/zrm.db");
    EXPECT_THROW(missingDir.Open(), vcl::EDatabaseError);
    EXPECT_FALSE(missingDir.Connected());
    // The text, which may hold a password, stays out of the message.
    TdtmDBGeral secret("mysql://password=segredo");
    try {
        secret.Open();
        ADD_FAILURE() << "opened";
    } catch (const vcl::EDatabaseError& error) {
        EXPECT_EQ(std::string(error.what()).find("segredo"), std::string::npos) << error.what();
    }
}

// The lookups share the database with the server's writers: their session
// waits for a lock as the server's sessions do instead of failing at once.
TEST(DatabaseModule, ASqliteSessionWaitsForLocks) {
    TdtmDBGeral database("sqlite3://db=:memory:");
    TADOIBQuery busy(nullptr, "qryBusy", database);
    busy.SQL = {"PRAGMA busy_timeout"};
    busy.AddStringField("timeout", 10);
    busy.Open();
    EXPECT_GE(std::stoi(busy.FieldByName("timeout").AsString()), 1000);
    EXPECT_EQ(database.BackendName(), "sqlite3");
}

}  // namespace
}  // namespace vlm
