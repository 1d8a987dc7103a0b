#include "server/sql_query.h"

namespace server {

void RunQuery(soci::session& session, const SqlQuery& query,
              const std::function<void(soci::statement&)>& bindInto, const std::function<void()>& onRow) {
    soci::statement statement(session);
    bindInto(statement);
    for (const auto& value : query.Values())
        statement.exchange(soci::use(value));
    statement.alloc();
    statement.prepare(query.Text());
    statement.define_and_bind();
    if (!statement.execute(true))
        return;
    do {
        onRow();
    } while (statement.fetch());
}

}  // namespace server
