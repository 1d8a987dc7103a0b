// Eight clients generate remittances from identical and overlapping notes at
// once, through one server or through two servers on the same database.
#include <gtest/gtest.h>

#include <barrier>
#include <memory>
#include <thread>

#include "db/connection.h"
#include "db/init_db.h"
#include "http_client.h"
#include "remessa_fixture.h"
#include "server/app_server.h"
#include "test_database.h"

namespace {

using testsrv::Count;
using vcl::Variant;

constexpr int kClients = 8;
constexpr int kRounds = 3;

struct Totals {
    long long remittances, lastNumber, auditRows, shippedItems, sentThousandths, stockThousandths;
};

Totals Snapshot(soci::session& session) {
    return {
        Count(session, "SELECT COUNT(*) FROM NOTASAIDA WHERE CDFILIAL = '0001'"),
        Count(session, "SELECT NRULTNOTA FROM SERIESAIDA WHERE CDFILIAL = '0001' AND IDPADRAO = 'S'"),
        Count(session, "SELECT COUNT(*) FROM AUDITORIA"),
        Count(session, "SELECT COUNT(*) FROM ITEMSAIDA"),
        Count(session, "SELECT CAST(ROUND(SUM(QTREMETIDA) * 1000) AS BIGINT) FROM ITEMENTRADA"),
        Count(session,
              "SELECT CAST(ROUND(SUM(QTESTOQUE) * 1000) AS BIGINT) FROM ESTOQUE WHERE CDFILIAL = '0001'")};
}

// One client: loads a month of branch 0001 and sends the first notes with
// everything that remains, as the screen would. All clients send at the same
// moment (`start`), so that their checks and writes overlap.
std::vector<std::string> RunClient(int port, const std::string& token, int client, std::barrier<>& start) {
    testsrv::HttpClient http(port, token);
    std::vector<std::string> statuses;
    for (int round = 0; round < kRounds; ++round) {
        const int month = 1 + (client + round) % 2;
        const auto loaded =
            http.Remessa("getNotasFiscais",
                         testsrv::NotasArgs(Variant::Null(), "0001", "", vcl::TDate::FromYmd(2026, month, 1),
                                            vcl::TDate::FromYmd(2026, month, 28), "", "", "S"));
        if (loaded.status != 200 || loaded.answer.result[0] != Variant("")) {
            statuses.push_back("load failed: " + loaded.error);
            start.arrive_and_wait();
            continue;
        }
        const vcl::DataPacket notes = loaded.answer.result[1][0].AsPacket();
        const vcl::DataPacket items = loaded.answer.result[1][1].AsPacket();
        testsrv::GeraSaidaCall call;
        call.departure = vcl::TDate::FromYmd(2026, month, 28);
        // Overlapping choices: every client takes the first notes, shifted a little.
        for (std::size_t row = static_cast<std::size_t>(client % 3);
             row < notes.RowCount() && call.notes.size() < 4; ++row)
            call.notes.push_back({notes.Value(row, 0).AsString(), notes.Value(row, 1).AsString()});
        const int quantity = items.FieldIndex("QTENVIADA");
        for (std::size_t row = 0; row < items.RowCount(); ++row) {
            const std::string branch = items.Value(row, 1).AsString();
            const std::string launch = items.Value(row, 2).AsString();
            const double toSend = items.Value(row, static_cast<std::size_t>(quantity)).AsFloat();
            const bool chosen = std::any_of(
                call.notes.begin(), call.notes.end(),
                [&](const testsrv::NoteKey& k) { return k.branch == branch && k.launch == launch; });
            if (chosen && toSend > 0)
                call.items.push_back({branch, launch, items.Value(row, 3).AsString(), toSend});
        }
        start.arrive_and_wait();
        if (call.items.empty())
            continue;  // the screen sends nothing then
        const auto generated = http.Remessa("GeraSaida", call.Args());
        statuses.push_back(generated.status == 200
                               ? generated.answer.result[0].AsString()
                               : "HTTP " + std::to_string(generated.status) + generated.error);
    }
    return statuses;
}

class ConcurrencyTest : public ::testing::TestWithParam<std::string> {};

// Eight clients spread over `serverCount` servers on one database (servers
// with sessions of their own, as separate processes would have); clients
// 0, 3 and 6 send identical requests, the others overlapping ones.
void CheckEightClients(const std::string& backend, int serverCount) {
    testdb::TestDatabase database(backend);
    ZRM_SKIP_UNLESS_AVAILABLE(database);
    db::InitDatabase(database.Connect(), {.demo = true, .notes = 200});
    soci::session session;
    db::Open(session, database.Connect());
    const Totals before = Snapshot(session);

    // Sessions live in each server's memory: a client logs in to the server it calls.
    std::vector<std::unique_ptr<server::AppServer>> servers;
    std::vector<int> ports;
    std::vector<std::string> tokens;
    for (int i = 0; i < serverCount; ++i) {
        servers.push_back(std::make_unique<server::AppServer>(database.Connect(),
                                                              server::AppServerOptions{kClients, true}));
        ports.push_back(servers.back()->Start());
        tokens.push_back(servers.back()->OpenSession(server::LocalCaller("0001")));
    }
    std::vector<std::vector<std::string>> statuses(kClients);
    std::vector<std::thread> clients;
    std::barrier start(kClients);
    for (int client = 0; client < kClients; ++client) {
        clients.emplace_back([&, client] {
            const auto serverIndex = static_cast<std::size_t>(client % serverCount);
            statuses[static_cast<std::size_t>(client)] =
                RunClient(ports[serverIndex], tokens[serverIndex], client, start);
        });
    }
    for (auto& thread : clients)
        thread.join();
    for (auto& server : servers)
        server->Stop();

    int generated = 0;
    for (const auto& list : statuses) {
        for (const auto& status : list) {
            EXPECT_TRUE(status == "OK" || status == "N") << status;
            generated += status == "OK";
        }
    }
    EXPECT_GT(generated, 0);

    const Totals after = Snapshot(session);
    // Numbers: no duplicate, no gap.
    EXPECT_EQ(Count(session,
                    "SELECT COUNT(*) FROM (SELECT CDFILIAL, CDSERIE, NRNOTAFISC FROM NOTASAIDA"
                    " GROUP BY CDFILIAL, CDSERIE, NRNOTAFISC HAVING COUNT(*) > 1) X"),
              0);
    EXPECT_EQ(after.lastNumber - before.lastNumber, after.remittances - before.remittances);
    // Stock and quantities.
    EXPECT_EQ(Count(session, "SELECT COUNT(*) FROM ESTOQUE WHERE QTESTOQUE < 0"), 0);
    EXPECT_EQ(Count(session, "SELECT COUNT(*) FROM ITEMENTRADA WHERE QTREMETIDA > QTITEMPROD"), 0);
    // Each shipped item has one analysis, and nothing was shipped twice.
    EXPECT_EQ(after.auditRows - before.auditRows, after.shippedItems - before.shippedItems);
    EXPECT_EQ(Count(session,
                    "SELECT COUNT(*) FROM (SELECT CDFILIAL, NRLANCTONF, NRSEQITPROD FROM AUDITORIA"
                    " WHERE IDSITUACAO = 'A' GROUP BY CDFILIAL, NRLANCTONF, NRSEQITPROD"
                    " HAVING COUNT(*) > 1) X"),
              0);
    const long long shipped = Count(session,
                                    "SELECT CAST(ROUND(COALESCE(SUM(S.QTITEMPROD), 0) * 1000) AS BIGINT)"
                                    " FROM ITEMSAIDA S JOIN NOTASAIDA N ON N.CDFILIAL = S.CDFILIAL"
                                    " AND N.NRLANCTONF = S.NRLANCTONF WHERE N.DTGERACAO <> '2026-01-15'");
    EXPECT_EQ(after.sentThousandths - before.sentThousandths, shipped);
    EXPECT_EQ(before.stockThousandths - after.stockThousandths, shipped);
}

TEST_P(ConcurrencyTest, EightClientsNeverDuplicateNumbersOverdrawStockOrSendTwice) {
    CheckEightClients(GetParam(), 1);
}

TEST_P(ConcurrencyTest, TwoServersOnOneDatabaseKeepTheSameInvariants) {
    CheckEightClients(GetParam(), 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, ConcurrencyTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

}  // namespace
