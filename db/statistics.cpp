#include "db/statistics.h"

#include <string>

namespace db {

namespace {

// Rows sampled per index by a bounded analysis: enough for the planner to
// tell a selective index from a branch-wide one, fast on any file size.
constexpr int kAnalysisLimit = 1000;

bool IsSqlite(soci::session& session) {
    return session.get_backend_name() == "sqlite3";
}

}  // namespace

void Analyze(soci::session& session) {
    session << "ANALYZE";
}

void RefreshStatistics(soci::session& session) {
    if (!IsSqlite(session))
        return;
    try {
        session << "PRAGMA analysis_limit = " << kAnalysisLimit;
        session << "PRAGMA optimize";
    } catch (const soci::soci_error&) {
        // Statistics only speed plans up; a file that cannot be written keeps its own.
    }
}

void AnalyzeIfNeverAnalysed(soci::session& session) {
    if (!IsSqlite(session))
        return;
    try {
        long long stats = 0, tables = 0;
        session << "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'sqlite_stat1'",
            soci::into(stats);
        session << "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'",
            soci::into(tables);
        if (stats > 0 || tables == 0)
            return;
        session << "PRAGMA analysis_limit = " << kAnalysisLimit;
        session << "ANALYZE";
    } catch (const soci::soci_error&) {
        // As in RefreshStatistics.
    }
}

}  // namespace db
