// A SELECT whose text and bound values are assembled at run time (optional
// filter conditions), run through a prepared SOCI statement. Values are
// always bound, never spliced into the text.
#pragma once

#include <soci/soci.h>

#include <functional>
#include <string>
#include <vector>

namespace server {

class SqlQuery {
public:
    explicit SqlQuery(std::string sql) : sql_(std::move(sql)) {}

    // Appends text; each ":name" placeholder in it is bound to the next value.
    SqlQuery& Add(std::string_view text) {
        sql_ += text;
        return *this;
    }
    SqlQuery& Add(std::string_view text, std::string value) {
        sql_ += text;
        values_.push_back(std::move(value));
        return *this;
    }

    const std::string& Text() const { return sql_; }
    const std::vector<std::string>& Values() const { return values_; }

private:
    std::string sql_;
    std::vector<std::string> values_;
};

// Binds `into` targets (by `bindInto`) and the query's values, then calls
// `onRow` once per fetched row.
void RunQuery(soci::session& session, const SqlQuery& query,
              const std::function<void(soci::statement&)>& bindInto, const std::function<void()>& onRow);

}  // namespace server
