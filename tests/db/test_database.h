// A fresh database per test, on every backend available: SQLite always (a
// temporary file, so that several connections share it), PostgreSQL when
// ZRM_PG_CONNECT names a server (a schema of its own, dropped afterwards).
#pragma once

#include <soci/soci.h>

#include <string>
#include <vector>

namespace testdb {

// "sqlite", plus "postgresql" when ZRM_PG_CONNECT is set.
std::vector<std::string> AvailableBackends();

class TestDatabase {
public:
    explicit TestDatabase(const std::string& backend);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // Connection text of the fresh, empty database.
    const std::string& Connect() const { return connect_; }

private:
    std::string connect_;
    std::string file_;    // SQLite
    std::string schema_;  // PostgreSQL
    std::string admin_;   // PostgreSQL connection without the schema
};

// Gtest parameter name: the backend itself.
struct BackendName {
    template <class Info>
    std::string operator()(const Info& info) const {
        return info.param;
    }
};

}  // namespace testdb
