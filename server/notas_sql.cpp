#include "server/notas_sql.h"

#include <algorithm>

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

SqlQuery ItemsOfNotesQuery(const std::string& branch, std::span<const std::string> launches) {
    SqlQuery query("SELECT " + SelectList(ItemColumns()) +
                   " FROM ITEMENTRADA I LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO WHERE ");
    query.Add("I.CDFILIAL = :b", branch).Add(" AND I.NRLANCTONF IN (");
    for (std::size_t i = 0; i < launches.size(); ++i)  // each its own name: a repeated one is one value
        query.Add((i == 0 ? ":l" : ", :l") + std::to_string(i), launches[i]);
    query.Add(") ORDER BY I.CDFILIAL, I.NRLANCTONF, I.NRSEQITPROD");
    return query;
}

std::vector<SqlQuery> ItemsOfNotesQueries(const std::string& branch, std::vector<std::string> launches) {
    std::sort(launches.begin(), launches.end());
    const std::span<const std::string> all(launches);
    std::vector<SqlQuery> queries;
    for (std::size_t first = 0; first < all.size(); first += kNotesPerItemsQuery)
        queries.push_back(
            ItemsOfNotesQuery(branch, all.subspan(first, std::min(kNotesPerItemsQuery, all.size() - first))));
    return queries;
}

}  // namespace server
