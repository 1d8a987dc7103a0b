// The statements of getNotasFiscais: the server runs them, and the tests read
// their plans on a database nobody has analysed.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/sql_query.h"

namespace server {

// What the screen filters by; empty texts filter nothing.
struct NotesFilter {
    std::string branch, fromIso, toIso, supplier, series, number;
};

// The condition over NOTAENTRADA N for a filter: the branch and the date
// range, the optional fields, and at least one item left to send.
SqlQuery NotesFilterWhere(const NotesFilter& filter);
// The condition over NOTAENTRADA N for one note by its key.
SqlQuery NoteKeyWhere(const std::string& branch, const std::string& launch);

// The notes matching `where`, ordered by entry date, branch and launch
// number. Under the filter every note selected has something to send.
std::string NotesSql(std::string_view where, bool filterRequiresPending);
// Launch numbers per items query: enough that a large answer takes few
// statements, few enough for any backend's limit on bound values.
inline constexpr std::size_t kNotesPerItemsQuery = 500;

// The items of the notes of `branch` numbered `launches` (one at least, at
// most kNotesPerItemsQuery, in ascending order), ordered by note and sequence.
// The keys lead the plan straight into the items' primary key, whose order
// is the answer's, so no sort holds the rows back.
SqlQuery ItemsOfNotesQuery(const std::string& branch, std::span<const std::string> launches);
// The statements that read the items of the notes of `branch` numbered
// `launches` (any number, in any order), in the answer's order.
std::vector<SqlQuery> ItemsOfNotesQueries(const std::string& branch, std::vector<std::string> launches);

}  // namespace server
