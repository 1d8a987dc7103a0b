// Desktops without database credentials: the lookups of the forms through
// POST /dtmDBGeral/query, the allow-list, and a desktop on a PostgreSQL role
// that may only read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/init_db.h"
#include "db/schema_version.h"
#include "http_client.h"
#include "server/app_server.h"
#include "server/caller.h"
#include "test_database.h"
#include "vcl/exceptions.h"
#include "vlm/adoib_query.h"
#include "vlm/db_geral.h"
#include "vlm/net_connection.h"
#include "vlm/remote_lookup.h"

namespace {

struct Lookup {
    const char* name;
    std::vector<std::string> sql;  // the form's lines
    std::vector<std::pair<const char*, int>> fields;
    const char* keyParam;
    const char* switchParam;
};

// The forms' lookup queries, line for line.
const std::vector<Lookup>& FormLookups() {
    static const std::vector<Lookup> lookups = {
        {"qryFilial",
         {"SELECT CDFILIAL, NMFILIAL", "  FROM FILIAL",
          " WHERE ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))", " ORDER BY CDFILIAL"},
         {{"CDFILIAL", 4}, {"NMFILIAL", 100}},
         "P_CDFILIAL",
         "P_TCDFILIAL"},
        {"qryFornecedor",
         {"SELECT CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN", "  FROM FORNECEDOR",
          " WHERE ((NRINSJURFORN = :P_NRINSJURFORN) OR (:P_TNRINSJURFORN = 'T'))", " ", " "},
         {{"CDFORNECED", 21}, {"IDTPIJURFORN", 1}, {"NRINSJURFORN", 20}, {"NMRAZSOCFORN", 100}},
         "P_NRINSJURFORN",
         "P_TNRINSJURFORN"},
        {"qrySerieNF",
         {"SELECT CDSERIEENTR, DSSERIEENTR", "  FROM SERIEENTR",
          " WHERE ((CDSERIEENTR = :P_CDSERIEENTR) OR (:P_TCDSERIEENTR = 'T'))", " ORDER BY CDSERIEENTR"},
         {{"CDSERIEENTR", 5}, {"DSSERIEENTR", 20}},
         "P_CDSERIEENTR",
         "P_TCDSERIEENTR"},
        {"qryPesqOper",
         {"SELECT CDTIPOOPER, NMTIPOOPER", "  FROM TIPOOPERAC", " WHERE IDENTRSAIDOP = 'S'",
          "   AND IDORIGDESTOP = 'L'", "   AND ((CDTIPOOPER = :P_CDTIPOOPER) OR (:P_TCDTIPOOPER = 'T'))",
          " ORDER BY CDTIPOOPER", " "},
         {{"CDTIPOOPER", 2}, {"NMTIPOOPER", 30}},
         "P_CDTIPOOPER",
         "P_TCDTIPOOPER"},
    };
    return lookups;
}

// Every row of the lookup with the switch "T", as one text.
std::string AllRows(vlm::TdtmDBGeral& database, const Lookup& lookup) {
    vcl::TComponent owner(nullptr, "owner");
    auto& query = owner.Make<vlm::TADOIBQuery>(lookup.name, database);
    query.SQL = lookup.sql;
    for (const auto& [field, size] : lookup.fields)
        query.AddStringField(field, size);
    query.ParamByName(lookup.keyParam).Clear();
    query.ParamByName(lookup.switchParam).SetValue("T");
    query.Open();
    std::string text;
    for (query.Query.First(); !query.Query.Eof(); query.Query.Next()) {
        for (const auto& [field, size] : lookup.fields)
            text += query.FieldByName(field).AsString() + "|";
        text += "\n";
    }
    return text;
}

class RemoteLookupTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ZRM_SKIP_UNLESS_AVAILABLE(database_);
        db::InitDatabase(database_.Connect(), {.demo = true, .notes = 10});
        server_ = std::make_unique<server::AppServer>(database_.Connect(), server::AppServerOptions{2, true});
        port_ = server_->Start();
        token_ = server_->OpenSession(server::LocalCaller("0001"));
        connection_.Host = "127.0.0.1";
        connection_.Port = port_;
        connection_.Access = vlm::TServerAccess{false, {}, token_};
        remote_.SetRemote(vlm::MakeRemoteLookup(connection_));
    }
    void TearDown() override {
        if (server_)
            server_->Stop();
    }

    testdb::TestDatabase database_{GetParam()};
    std::unique_ptr<server::AppServer> server_;
    int port_ = 0;
    std::string token_;  // the desktop's session
    vlm::TNetConnection connection_{nullptr, "netDBGeral"};
    vlm::TdtmDBGeral remote_;  // no connection text: no database account
};

TEST_P(RemoteLookupTest, EveryLookupOfTheFormsAnswersThroughTheServerAsTheDatabaseWould) {
    vlm::TdtmDBGeral direct(database_.Connect());
    for (const Lookup& lookup : FormLookups()) {
        const std::string expected = AllRows(direct, lookup);
        EXPECT_NE(expected, "") << lookup.name;
        EXPECT_EQ(AllRows(remote_, lookup), expected) << lookup.name;
    }
    // One row by key; a key with no row.
    vcl::TComponent owner(nullptr, "owner");
    auto& query = owner.Make<vlm::TADOIBQuery>("qryFilial", remote_);
    query.SQL = FormLookups()[0].sql;
    query.AddStringField("CDFILIAL", 4);
    query.AddStringField("NMFILIAL", 100);
    query.ParamByName("P_CDFILIAL").SetValue("0002");
    query.ParamByName("P_TCDFILIAL").Clear();
    query.Open();
    EXPECT_EQ(query.Query.RecordCount(), 1);
    EXPECT_EQ(query.FieldByName("CDFILIAL").AsString(), "0002");
    query.Close();
    query.ParamByName("P_CDFILIAL").SetValue("9999");
    query.Open();
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_THROW(remote_.Session(), vcl::EDatabaseError);
}

TEST_P(RemoteLookupTest, AnyOtherStatementIsRefusedWith403AndMalformedBodiesWith400) {
    // Lookups need a session like every call.
    const std::string allowed =
        R"({"sql":"SELECT CDFILIAL, NMFILIAL\n  FROM FILIAL\n WHERE ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))\n ORDER BY CDFILIAL","params":{"P_CDFILIAL":"0001","P_TCDFILIAL":"N"}})";
    EXPECT_EQ(testsrv::HttpClient(port_).Post("/dtmDBGeral/query", allowed).status, 401);
    EXPECT_EQ(testsrv::HttpClient(port_, token_).Post("/dtmDBGeral/query", allowed).status, 200);

    testsrv::HttpClient http(port_, token_);
    const struct {
        const char* name;
        std::string body;
        int status;
    } cases[] = {
        {"another table", R"({"sql":"SELECT CDUSUARIO, DSHASH FROM USUARIO","params":{}})", 403},
        {"an allowed text with one more space",
         R"({"sql":"SELECT CDFILIAL, NMFILIAL\n  FROM FILIAL\n WHERE ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))\n ORDER BY  CDFILIAL","params":{}})",
         403},
        {"a write", R"({"sql":"DELETE FROM FILIAL","params":{}})", 403},
        {"not JSON", "SELECT 1", 400},
        {"no sql", R"({"params":{}})", 400},
        {"a number as parameter",
         R"({"sql":"SELECT CDSERIEENTR, DSSERIEENTR\n  FROM SERIEENTR\n WHERE ((CDSERIEENTR = :P_CDSERIEENTR) OR (:P_TCDSERIEENTR = 'T'))\n ORDER BY CDSERIEENTR","params":{"P_CDSERIEENTR":1,"P_TCDSERIEENTR":"T"}})",
         400},
    };
    for (const auto& c : cases) {
        const testsrv::HttpResult result = http.Post("/dtmDBGeral/query", c.body);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_FALSE(result.error.empty()) << c.name;
    }
    long long branches = 0;
    soci::session session;
    db::Open(session, database_.Connect());
    session << "SELECT COUNT(*) FROM FILIAL", soci::into(branches);
    EXPECT_GT(branches, 0);

    // The desktop sees the refusal as an error of its own.
    vcl::TComponent owner(nullptr, "owner");
    auto& query = owner.Make<vlm::TADOIBQuery>("qryOutra", remote_);
    query.SQL = {"SELECT CDUSUARIO FROM USUARIO"};
    EXPECT_THROW(query.Open(), vcl::Exception);
    EXPECT_FALSE(query.Active());
}

INSTANTIATE_TEST_SUITE_P(Backends, RemoteLookupTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

// A role that may only SELECT, dropped with what it was granted.
class ReadOnlyRole {
public:
    ReadOnlyRole(const std::string& adminConnect, const std::string& name)
        : admin_(adminConnect), name_(name) {
        soci::session session;
        db::Open(session, admin_);
        session << "CREATE ROLE " + name_ + " LOGIN";
        session << "GRANT USAGE ON SCHEMA " + Schema(session) + " TO " + name_;
        session << "GRANT SELECT ON ALL TABLES IN SCHEMA " + Schema(session) + " TO " + name_;
    }
    ~ReadOnlyRole() {
        try {
            soci::session session;
            db::Open(session, admin_);
            session << "DROP OWNED BY " + name_;
            session << "DROP ROLE " + name_;
        } catch (const std::exception& e) {
            ADD_FAILURE() << "cannot drop role " << name_ << ": " << e.what();
        }
    }
    // The connection text as this role (libpq takes the last value of a key).
    std::string Connect() const { return admin_ + " user=" + name_; }

private:
    static std::string Schema(soci::session& session) {
        std::string schema;
        session << "SELECT current_schema()", soci::into(schema);
        return schema;
    }
    std::string admin_;
    std::string name_;
};

TEST(ReadOnlyDesktop, ADesktopOnARoleThatMayOnlySelectRunsEveryLookupAndChangesNothing) {
    testdb::TestDatabase database("postgresql");
    ZRM_SKIP_UNLESS_AVAILABLE(database);
    db::InitDatabase(database.Connect(), {.demo = true, .notes = 10});
    ReadOnlyRole role(database.Connect(), "zrm_desk_" + std::to_string(::getpid()));

    vlm::TdtmDBGeral desktop(role.Connect());
    vlm::TdtmDBGeral admin(database.Connect());
    for (const Lookup& lookup : FormLookups())
        EXPECT_EQ(AllRows(desktop, lookup), AllRows(admin, lookup)) << lookup.name;

    // What a desktop checks at start needs reading only; writing is refused.
    EXPECT_NO_THROW(db::RequireCurrentSchema(desktop.Session(), role.Connect()));
    EXPECT_THROW(desktop.Session() << "CREATE TABLE PROVA (X INTEGER)", soci::soci_error);
}

}  // namespace
