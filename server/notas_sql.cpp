#include "server/notas_sql.h"

#include "server/notas_columns.h"

namespace server {

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
    where.Add(" AND " + NoteHasItemToSendSql());
    return where;
}

SqlQuery NoteKeyWhere(const std::string& branch, const std::string& launch) {
    SqlQuery where("");
    where.Add("N.CDFILIAL = :b", branch).Add(" AND N.NRLANCTONF = :l", launch);
    return where;
}

std::string NotesSql(std::string_view where, bool filterRequiresPending) {
    return "SELECT " + SelectList(NoteColumns(filterRequiresPending)) +
           " FROM NOTAENTRADA N LEFT JOIN FORNECEDOR F ON F.CDFORNECED = N.CDFORNECED WHERE " +
           std::string(where) + " ORDER BY N.DTENTRSAID, N.CDFILIAL, N.NRLANCTONF";
}

std::string ItemsSql(std::string_view where) {
    // CROSS JOIN keeps the notes as SQLite's outer loop, so the plan starts
    // from the notes' (branch, date) index even without statistics instead of
    // walking every item of the branch; PostgreSQL plans it as a plain join.
    return "SELECT " + SelectList(ItemColumns()) +
           " FROM NOTAENTRADA N CROSS JOIN ITEMENTRADA I LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
           " WHERE I.CDFILIAL = N.CDFILIAL AND I.NRLANCTONF = N.NRLANCTONF AND " +
           std::string(where) + " ORDER BY I.CDFILIAL, I.NRLANCTONF, I.NRSEQITPROD";
}

}  // namespace server
