// A fresh database per test, on every backend available: SQLite always (a
// temporary file, so that several connections share it), PostgreSQL when
// ZRM_PG_CONNECT names a server (a schema of its own, dropped afterwards).
#pragma once

#include <soci/soci.h>

#include <string>
#include <vector>

namespace testdb {

// "sqlite" and "postgresql". Tests are registered for both whatever the
// environment, so that test discovery at build time sees them all; a test on
// PostgreSQL skips itself when ZRM_PG_CONNECT is not set at run time.
std::vector<std::string> AllBackends();

class TestDatabase {
public:
    explicit TestDatabase(const std::string& backend);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // False for PostgreSQL when ZRM_PG_CONNECT is not set.
    bool Available() const { return !connect_.empty(); }
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

// Skips the running test when its database is not available.
#define ZRM_SKIP_UNLESS_AVAILABLE(database)                         \
    do {                                                            \
        if (!(database).Available())                                \
            GTEST_SKIP() << "PostgreSQL tests need ZRM_PG_CONNECT"; \
    } while (false)

}  // namespace testdb
