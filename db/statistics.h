// Planner statistics, so that query plans do not depend on who built the
// database file: full statistics after bulk writes, a bounded refresh when a
// session closes and now and then while it is in use.
#pragma once

#include <soci/soci.h>

namespace db {

// ANALYZE on either backend: after init-db, demo data and migrations.
void Analyze(soci::session& session);

// SQLite: PRAGMA optimize under a row limit per index, which analyses only
// what changed enough since; a no-op on PostgreSQL, whose autovacuum keeps
// its statistics. Best effort: a read-only file keeps the plans it has.
void RefreshStatistics(soci::session& session);

// SQLite: a file that was never analysed (made by an older init-db, or by
// hand) gets bounded statistics at once. Best effort, as above.
void AnalyzeIfNeverAnalysed(soci::session& session);

}  // namespace db
