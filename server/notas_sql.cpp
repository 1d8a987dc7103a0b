#include "server/notas_sql.h"

namespace server {

namespace {

// An item qualifies for sending when something of it remains and no
// analysis of it is open.
constexpr std::string_view kItemOpenAnalysis =
    "EXISTS (SELECT 1 FROM AUDITORIA A WHERE A.CDFILIAL = I.CDFILIAL AND A.NRLANCTONF = I.NRLANCTONF"
    " AND A.NRSEQITPROD = I.NRSEQITPROD AND A.IDSITUACAO = 'A')";

std::string NoteHasItemToSend() {
    return "EXISTS (SELECT 1 FROM ITEMENTRADA I WHERE I.CDFILIAL = N.CDFILIAL AND I.NRLANCTONF = N.NRLANCTONF"
           " AND I.QTITEMPROD > I.QTREMETIDA AND NOT " +
           std::string(kItemOpenAnalysis) + ")";
}

}  // namespace

SqlQuery NotesFilterWhere(const NotesFilter& filter) {
    SqlQuery where("");
    where.Add("N.CDFILIAL = :b", filter.branch)
        .Add(" AND N.DTENTRSAID >= :i", filter.fromIso)
        .Add(" AND N.DTENTRSAID <= :f", filter.toIso);
    if (!filter.supplier.empty())
        where.Add(" AND N.CDFORNECED = :s", filter.supplier);
    if (!filter.series.empty())
        where.Add(" AND N.CDSERIEENTR = :e", filter.series);
    if (!filter.number.empty())
        where.Add(" AND N.NRNOTAFISC = :n", filter.number);
    where.Add(" AND " + NoteHasItemToSend());
    return where;
}

SqlQuery NoteKeyWhere(const std::string& branch, const std::string& launch) {
    SqlQuery where("");
    where.Add("N.CDFILIAL = :b", branch).Add(" AND N.NRLANCTONF = :l", launch);
    return where;
}

std::string NotesSql(std::string_view where, bool filterRequiresPending) {
    const std::string sends =
        filterRequiresPending ? "'S'" : "CASE WHEN " + NoteHasItemToSend() + " THEN 'S' ELSE 'N' END";
    return "SELECT N.CDFILIAL, N.NRLANCTONF, F.NRINSJURFORN, CAST(N.DTENTRSAID AS VARCHAR(10)),"
           " N.NRNOTAFISC, N.CDSERIEENTR, N.VRNOTAFISC, N.CDFILIRECE, F.IDTPIJURFORN, " +
           sends + " FROM NOTAENTRADA N LEFT JOIN FORNECEDOR F ON F.CDFORNECED = N.CDFORNECED WHERE " +
           std::string(where) + " ORDER BY N.DTENTRSAID, N.CDFILIAL, N.NRLANCTONF";
}

std::string ItemsSql(std::string_view where) {
    // CROSS JOIN keeps the notes as SQLite's outer loop, so the plan starts
    // from the notes' (branch, date) index even without statistics instead of
    // walking every item of the branch; PostgreSQL plans it as a plain join.
    return "SELECT I.CDFILIAL, I.NRLANCTONF, I.NRSEQITPROD, I.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, "
           "I.QTITEMPROD,"
           " I.QTREMETIDA, CASE WHEN " +
           std::string(kItemOpenAnalysis) +
           " THEN 1 ELSE 0 END, I.VRUNITITEM, I.VRTOTAITEM, I.CDFILIMOVI, I.CDALMOXARIFE, I.CDLOCALESTOQ,"
           " I.NRLOTEESTQ, I.NRSUBLOTE, CAST(I.DTVALILOTE AS VARCHAR(10)), P.SGUNIDADE, P.CDPRODESTO"
           " FROM NOTAENTRADA N CROSS JOIN ITEMENTRADA I LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
           " WHERE I.CDFILIAL = N.CDFILIAL AND I.NRLANCTONF = N.NRLANCTONF AND " +
           std::string(where) + " ORDER BY I.CDFILIAL, I.NRLANCTONF, I.NRSEQITPROD";
}

}  // namespace server
