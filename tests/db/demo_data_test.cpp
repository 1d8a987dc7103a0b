#include "db/demo_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "db/brazil_ids.h"
#include "db/connection.h"
#include "db/init_db.h"
#include "test_database.h"

namespace {

long long Count(soci::session& session, const std::string& sql) {
    long long n = 0;
    session << sql, soci::into(n);
    return n;
}

// Every row of the received notes and their items, as one text.
std::string Fingerprint(soci::session& session) {
    std::string out;
    soci::rowset<soci::row> notes =
        (session.prepare << "SELECT N.CDFILIAL, N.NRLANCTONF, N.CDFORNECED, N.NRNOTAFISC, N.CDSERIEENTR,"
                            " CAST(N.DTENTRSAID AS VARCHAR(10)), CAST(CAST(SUM(I.QTITEMPROD * 1000) AS "
                            "BIGINT) AS VARCHAR(20))"
                            " FROM NOTAENTRADA N JOIN ITEMENTRADA I ON I.CDFILIAL = N.CDFILIAL"
                            " AND I.NRLANCTONF = N.NRLANCTONF"
                            " GROUP BY N.CDFILIAL, N.NRLANCTONF, N.CDFORNECED, N.NRNOTAFISC, N.CDSERIEENTR,"
                            " N.DTENTRSAID ORDER BY N.CDFILIAL, N.NRLANCTONF");
    for (const auto& row : notes) {
        for (std::size_t i = 0; i < row.size(); ++i)
            out += row.get<std::string>(i) + "|";
        out += "\n";
    }
    return out;
}

class DemoDataTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ZRM_SKIP_UNLESS_AVAILABLE(database_);
        db::InitDatabase(database_.Connect(), {.demo = true, .notes = 300});
        db::Open(session_, database_.Connect());
    }
    testdb::TestDatabase database_{GetParam()};
    soci::session session_;
};

TEST_P(DemoDataTest, TheSameOptionsGiveTheSameRows) {
    testdb::TestDatabase other(GetParam());
    db::InitDatabase(other.Connect(), {.demo = true, .notes = 300});
    soci::session otherSession;
    db::Open(otherSession, other.Connect());
    const std::string fingerprint = Fingerprint(session_);
    EXPECT_FALSE(fingerprint.empty());
    EXPECT_EQ(fingerprint, Fingerprint(otherSession));
}

TEST_P(DemoDataTest, EveryPathOfTheScreenHasData) {
    struct Expectation {
        const char* what;
        const char* sql;
    };
    const Expectation expectations[] = {
        {"branches with a default series",
         "SELECT COUNT(DISTINCT CDFILIAL) FROM SERIESAIDA WHERE IDPADRAO = 'S'"},
        {"a branch with series but none the default",
         "SELECT COUNT(*) FROM FILIAL F WHERE EXISTS (SELECT 1 FROM SERIESAIDA S WHERE S.CDFILIAL = "
         "F.CDFILIAL)"
         " AND NOT EXISTS (SELECT 1 FROM SERIESAIDA S WHERE S.CDFILIAL = F.CDFILIAL AND S.IDPADRAO = 'S')"},
        {"branches controlling stock", "SELECT COUNT(*) FROM FILIAL WHERE IDCTRLESTQ = 'S'"},
        {"branches not controlling stock", "SELECT COUNT(*) FROM FILIAL WHERE IDCTRLESTQ <> 'S'"},
        {"person suppliers", "SELECT COUNT(*) FROM FORNECEDOR WHERE IDTPIJURFORN = 'F'"},
        {"company suppliers", "SELECT COUNT(*) FROM FORNECEDOR WHERE IDTPIJURFORN = 'J'"},
        {"exits from a branch",
         "SELECT COUNT(*) FROM TIPOOPERAC WHERE IDENTRSAIDOP = 'S' AND IDORIGDESTOP = 'L'"},
        {"operation types that are no exit from a branch",
         "SELECT COUNT(*) FROM TIPOOPERAC WHERE IDENTRSAIDOP <> 'S' OR IDORIGDESTOP <> 'L'"},
        {"note numbers shared by several notes",
         "SELECT COUNT(*) FROM (SELECT NRNOTAFISC FROM NOTAENTRADA GROUP BY NRNOTAFISC"
         " HAVING COUNT(DISTINCT CDFORNECED) > 1) X"},
        {"notes with several items",
         "SELECT COUNT(*) FROM (SELECT CDFILIAL, NRLANCTONF FROM ITEMENTRADA GROUP BY CDFILIAL, NRLANCTONF"
         " HAVING COUNT(*) > 1) X"},
        {"items under an open analysis",
         "SELECT COUNT(*) FROM ITEMENTRADA I JOIN AUDITORIA A ON A.CDFILIAL = I.CDFILIAL"
         " AND A.NRLANCTONF = I.NRLANCTONF AND A.NRSEQITPROD = I.NRSEQITPROD"
         " WHERE A.IDSITUACAO = 'A' AND I.QTREMETIDA > 0"},
        {"items partly sent whose analysis is closed",
         "SELECT COUNT(*) FROM ITEMENTRADA I JOIN AUDITORIA A ON A.CDFILIAL = I.CDFILIAL"
         " AND A.NRLANCTONF = I.NRLANCTONF AND A.NRSEQITPROD = I.NRSEQITPROD"
         " WHERE A.IDSITUACAO = 'F' AND I.QTREMETIDA > 0"},
        {"stock keys short of what remains to send",
         "SELECT COUNT(*) FROM ESTOQUE E WHERE E.QTESTOQUE < (SELECT SUM(I.QTITEMPROD - I.QTREMETIDA)"
         " FROM ITEMENTRADA I WHERE I.CDFILIMOVI = E.CDFILIAL AND I.CDPRODUTO = E.CDPRODUTO"
         " AND I.CDALMOXARIFE = E.CDALMOXARIFE AND I.CDLOCALESTOQ = E.CDLOCALESTOQ"
         " AND I.NRLOTEESTQ = E.NRLOTEESTQ AND I.NRSUBLOTE = E.NRSUBLOTE)"},
        {"notes in January",
         "SELECT COUNT(*) FROM NOTAENTRADA WHERE DTENTRSAID BETWEEN '2026-01-01' AND '2026-01-31'"},
    };
    for (const auto& e : expectations)
        EXPECT_GT(Count(session_, e.sql), 0) << e.what;

    EXPECT_EQ(Count(session_,
                    "SELECT COUNT(*) FROM NOTAENTRADA WHERE DTENTRSAID < '2026-01-01'"
                    " OR DTENTRSAID > '2026-12-31'"),
              0);
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM ESTOQUE WHERE QTESTOQUE < 0"), 0);
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM ITEMENTRADA WHERE QTREMETIDA > QTITEMPROD"), 0);
    EXPECT_EQ(Count(session_,
                    "SELECT COUNT(*) FROM (SELECT CDFILIAL, NRLANCTONF, NRSEQITPROD FROM AUDITORIA"
                    " WHERE IDSITUACAO = 'A' GROUP BY CDFILIAL, NRLANCTONF, NRSEQITPROD"
                    " HAVING COUNT(*) > 1) X"),
              0);
}

TEST_P(DemoDataTest, CodesAreZeroPaddedAndRegistrationNumbersValid) {
    const std::regex digits4("[0-9]{4}"), digits10("[0-9]{10}"), digits2("[0-9]{2}"), digits7("[0-9]{7}");
    soci::rowset<soci::row> items =
        (session_.prepare << "SELECT CDFILIAL, NRLANCTONF, NRSEQITPROD FROM ITEMENTRADA");
    for (const auto& row : items) {
        ASSERT_TRUE(std::regex_match(row.get<std::string>(0), digits4));
        ASSERT_TRUE(std::regex_match(row.get<std::string>(1), digits10));
        ASSERT_TRUE(std::regex_match(row.get<std::string>(2), digits4));
    }
    soci::rowset<soci::row> operations = (session_.prepare << "SELECT CDTIPOOPER FROM TIPOOPERAC");
    for (const auto& row : operations)
        EXPECT_TRUE(std::regex_match(row.get<std::string>(0), digits2));
    soci::rowset<soci::row> products = (session_.prepare << "SELECT CDARVPROD FROM PRODUTO");
    for (const auto& row : products)
        EXPECT_TRUE(std::regex_match(row.get<std::string>(0), digits7)) << row.get<std::string>(0);
    soci::rowset<soci::row> suppliers =
        (session_.prepare << "SELECT IDTPIJURFORN, NRINSJURFORN FROM FORNECEDOR");
    bool someStoredShort = false;  // registration numbers without their leading zero, as imported
    for (const auto& row : suppliers) {
        const bool person = row.get<std::string>(0) == "F";
        std::string number = row.get<std::string>(1);
        const std::size_t length = person ? 11 : 14;
        ASSERT_TRUE(number.size() == length || number.size() == length - 1) << number;
        if (number.size() < length) {
            someStoredShort = true;
            number.insert(0, "0");
        }
        EXPECT_TRUE(person ? db::IsValidCpf(number) : db::IsValidCnpj(number)) << number;
    }
    EXPECT_TRUE(someStoredShort);
}

TEST_P(DemoDataTest, DemoDataGoOnlyIntoAnEmptyDatabase) {
    const long long before = Count(session_, "SELECT COUNT(*) FROM NOTAENTRADA");
    EXPECT_THROW(db::InsertDemoData(session_, {}), db::DbError);
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM NOTAENTRADA"), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, DemoDataTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

}  // namespace
