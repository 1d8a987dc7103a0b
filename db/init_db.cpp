#include "db/init_db.h"

#include "db/connection.h"
#include "db/schema.h"
#include "db/statistics.h"

namespace db {

void InitDatabase(std::string_view connect, const InitOptions& options) {
    soci::session session;
    Open(session, connect);
    InitDatabase(session, options);
}

void InitDatabase(soci::session& session, const InitOptions& options) {
    if (options.notes < 0)
        throw DbError("the number of demo notes cannot be negative");
    CreateSchema(session);
    if (options.demo)
        InsertDemoData(session, DemoOptions{options.notes, DemoOptions{}.seed});
    Analyze(session);
}

}  // namespace db
