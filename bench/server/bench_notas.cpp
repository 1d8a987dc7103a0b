// getNotasFiscais (flag "S", branch 0001, March) on one million received
// items, against the plain SELECT of the same rows stepped through SQLite.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "bench_data.h"
#include "contracts/server_api.h"
#include "db/connection.h"
#include "server/dispatch.h"
#include "vcl/data_packet.h"

namespace {

constexpr const char* kPending =
    "EXISTS (SELECT 1 FROM ITEMENTRADA I WHERE I.CDFILIAL = N.CDFILIAL AND I.NRLANCTONF = N.NRLANCTONF"
    " AND I.QTITEMPROD > I.QTREMETIDA AND NOT EXISTS (SELECT 1 FROM AUDITORIA A WHERE A.CDFILIAL = I.CDFILIAL"
    " AND A.NRLANCTONF = I.NRLANCTONF AND A.NRSEQITPROD = I.NRSEQITPROD AND A.IDSITUACAO = 'A'))";

const std::string& Connect() {
    static const std::string connect = bench::MillionItemsDatabase();
    return connect;
}

vcl::VariantArray MarchOfBranch1() {
    return {vcl::Variant::Null(),
            "0001",
            "",
            vcl::TDate::FromYmd(2026, 3, 1),
            vcl::TDate::FromYmd(2026, 3, 31),
            "",
            "",
            "S"};
}

void BM_GetNotasFiscais(benchmark::State& state) {
    soci::session session;
    db::Open(session, Connect());
    const vcl::VariantArray args = MarchOfBranch1();
    std::size_t items = 0;
    for (auto _ : state) {
        const vcl::wire::Answer answer =
            server::Dispatch(session, contracts::kRemessaServer, contracts::kGetNotasFiscais, args,
                             server::LocalCaller("0001"));
        items = answer.result[1][1].AsPacket().RowCount();
        benchmark::DoNotOptimize(answer);
    }
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_GetNotasFiscais)->Unit(benchmark::kMillisecond);

// The same two selections, every column of every row read once.
void BM_RawSelectOfTheSameRows(benchmark::State& state) {
    const std::string path = Connect().substr(std::string("sqlite3://db=").size());
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const std::string where = std::string(
                                  " WHERE N.CDFILIAL = '0001' AND N.DTENTRSAID >= '2026-03-01'"
                                  " AND N.DTENTRSAID <= '2026-03-31' AND ") +
                              kPending;
    const std::string notes =
        "SELECT N.CDFILIAL, N.NRLANCTONF, F.NRINSJURFORN, CAST(N.DTENTRSAID AS VARCHAR(10)), N.NRNOTAFISC,"
        " N.CDSERIEENTR, N.VRNOTAFISC, N.CDFILIRECE, F.IDTPIJURFORN FROM NOTAENTRADA N LEFT JOIN FORNECEDOR F"
        " ON F.CDFORNECED = N.CDFORNECED" +
        where + " ORDER BY N.DTENTRSAID, N.CDFILIAL, N.NRLANCTONF";
    const std::string items =
        "SELECT I.CDFILIAL, I.NRLANCTONF, I.NRSEQITPROD, I.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, I.QTITEMPROD,"
        " I.QTREMETIDA, CASE WHEN EXISTS (SELECT 1 FROM AUDITORIA A WHERE A.CDFILIAL = I.CDFILIAL"
        " AND A.NRLANCTONF = I.NRLANCTONF AND A.NRSEQITPROD = I.NRSEQITPROD AND A.IDSITUACAO = 'A') THEN 1 "
        "ELSE 0"
        " END, I.VRUNITITEM, I.VRTOTAITEM, I.CDFILIMOVI, I.CDALMOXARIFE, I.CDLOCALESTOQ, I.NRLOTEESTQ, "
        "I.NRSUBLOTE,"
        " CAST(I.DTVALILOTE AS VARCHAR(10)), P.SGUNIDADE, P.CDPRODESTO FROM NOTAENTRADA N JOIN ITEMENTRADA I"
        " ON I.CDFILIAL = N.CDFILIAL AND I.NRLANCTONF = N.NRLANCTONF LEFT JOIN PRODUTO P"
        " ON P.CDPRODUTO = I.CDPRODUTO" +
        where + " ORDER BY I.CDFILIAL, I.NRLANCTONF, I.NRSEQITPROD";
    std::size_t rows = 0;
    for (auto _ : state) {
        for (const std::string* sql : {&notes, &items}) {
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, sql->c_str(), -1, &statement, nullptr);
            rows = 0;
            while (sqlite3_step(statement) == SQLITE_ROW) {
                ++rows;
                for (int c = 0, n = sqlite3_column_count(statement); c < n; ++c) {
                    if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
                        benchmark::DoNotOptimize(sqlite3_column_text(statement, c));
                    else
                        benchmark::DoNotOptimize(sqlite3_column_double(statement, c));
                }
            }
            sqlite3_finalize(statement);
        }
    }
    state.counters["items"] = static_cast<double>(rows);
    sqlite3_close(db);
}
BENCHMARK(BM_RawSelectOfTheSameRows)->Unit(benchmark::kMillisecond);

}  // namespace
