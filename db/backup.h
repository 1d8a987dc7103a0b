// Online copies of a SQLite database, taken while servers keep writing.
#pragma once

#include <string>
#include <string_view>

namespace db {

// Copies the database `connect` names to `target` with SQLite's backup API:
// one consistent snapshot, while other connections go on reading and
// writing (write-ahead logging keeps writers from waiting). The copy is
// written beside `target` and renamed over it once complete and checked,
// so `target` is never left half-written. DbError for a PostgreSQL or
// in-memory database, or a failure (the partial copy is removed).
void BackupSqlite(std::string_view connect, const std::string& target);

}  // namespace db
