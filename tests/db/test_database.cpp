#include "test_database.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "db/connection.h"

namespace testdb {

namespace {

std::string UniqueSuffix() {
    static std::atomic<int> counter{0};
    return std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

const char* PgConnect() {
    const char* value = std::getenv("ZRM_PG_CONNECT");
    return value && *value ? value : nullptr;
}

}  // namespace

std::vector<std::string> AllBackends() {
    return {"sqlite", "postgresql"};
}

TestDatabase::TestDatabase(const std::string& backend) {
    if (backend == "postgresql") {
        if (!PgConnect())
            return;
        admin_ = PgConnect();
        schema_ = "zrm_test_" + UniqueSuffix();
        soci::session session;
        db::Open(session, admin_);
        session << "CREATE SCHEMA " + schema_;
        connect_ = admin_ + " options='-c search_path=" + schema_ + "'";
    } else {
        file_ = (std::filesystem::temp_directory_path() / ("zrm_test_" + UniqueSuffix() + ".db")).string();
        std::filesystem::remove(file_);
        connect_ = "sqlite3://db=" + file_;
    }
}

TestDatabase::~TestDatabase() {
    if (!schema_.empty()) {
        try {
            soci::session session;
            db::Open(session, admin_);
            session << "SET client_min_messages = warning";
            session << "DROP SCHEMA " + schema_ + " CASCADE";
        } catch (const std::exception& e) {
            std::fprintf(stderr, "cannot drop test schema %s: %s\n", schema_.c_str(), e.what());
        }
    }
    if (!file_.empty()) {
        std::error_code ignored;
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            std::filesystem::remove(file_ + suffix, ignored);
    }
}

}  // namespace testdb
