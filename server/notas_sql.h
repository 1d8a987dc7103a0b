// The statements of getNotasFiscais: the server runs them, and the tests read
// their plans on a database nobody has analysed.
#pragma once

#include <string>
#include <string_view>

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
// The items of the notes matching `where`, ordered by note and sequence.
std::string ItemsSql(std::string_view where);

}  // namespace server
