#include "db/backup.h"

#include <soci/sqlite3/soci-sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "db/connection.h"

namespace db {

namespace {

// SOCI's header declares SQLite's interface inside this namespace.
using namespace sqlite_api;

constexpr int kBusyRetries = 3000;  // of 10 ms: half a minute of writers
constexpr int kRetryMs = 10;

struct CloseDatabase {
    void operator()(sqlite3* handle) const { sqlite3_close(handle); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;

std::string ErrorOf(sqlite3* handle) {
    return sqlite3_errmsg(handle);
}

// Copies every page of `source` into `target` in one step (one read
// transaction: a consistent snapshot), waiting out a writer's lock.
void CopyPages(sqlite3* source, sqlite3* target) {
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup)
        throw DbError("cannot start the backup: " + ErrorOf(target));
    int result = SQLITE_OK;
    for (int attempt = 0; attempt < kBusyRetries; ++attempt) {
        result = sqlite3_backup_step(backup, -1);
        if (result != SQLITE_BUSY && result != SQLITE_LOCKED)
            break;
        sqlite3_sleep(kRetryMs);
    }
    sqlite3_backup_finish(backup);
    if (result != SQLITE_DONE)
        throw DbError(std::string("the backup did not complete: ") + sqlite3_errstr(result));
}

void Check(sqlite3* copy) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(copy, "PRAGMA quick_check", -1, &statement, nullptr) != SQLITE_OK)
        throw DbError("cannot check the copy: " + ErrorOf(copy));
    std::string verdict;
    if (sqlite3_step(statement) == SQLITE_ROW)
        verdict = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    if (verdict != "ok")
        throw DbError("the copy fails its check: " + verdict);
}

// Removes the partial copy unless it became the backup.
class PartialFile {
public:
    explicit PartialFile(std::string path) : path_(std::move(path)) {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    ~PartialFile() {
        std::error_code ignored;
        if (!kept_)
            std::filesystem::remove(path_, ignored);
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    const std::string& path() const { return path_; }
    void RenameTo(const std::string& target) {
        std::filesystem::rename(path_, target);
        kept_ = true;
    }

private:
    std::string path_;
    bool kept_ = false;
};

}  // namespace

void BackupSqlite(std::string_view connect, const std::string& target) {
    const ConnectInfo info = ParseConnect(connect);
    if (info.backend != Backend::Sqlite)
        throw DbError("backup copies SQLite databases; copy PostgreSQL with pg_dump");
    if (IsInMemory(info))
        throw DbError("an in-memory database cannot be copied");
    if (target.empty())
        throw DbError("the backup needs a file to write to");
    // A log beside the target belongs to a database someone has open there;
    // renaming a new file under it could replay the old log onto the copy.
    if (std::filesystem::exists(target + "-wal"))
        throw DbError(target + " is in use (" + target + "-wal exists); copy to another file");
    const std::string source = SqlitePath(info);
    if (source.empty() || !std::filesystem::is_regular_file(source))
        throw DbError("no database file " + source + " to copy");

    soci::session session;
    Open(session, info);
    auto* backend = static_cast<soci::sqlite3_session_backend*>(session.get_backend());

    PartialFile partial(target + ".partial-" + std::to_string(::getpid()));
    sqlite3* raw = nullptr;
    const int opened =
        sqlite3_open_v2(partial.path().c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Database copy(raw);
    if (opened != SQLITE_OK)
        throw DbError("cannot create " + partial.path() + ": " +
                      (raw ? ErrorOf(raw) : sqlite3_errstr(opened)));
    CopyPages(backend->conn_, copy.get());
    Check(copy.get());
    // The copy stands alone: no write-ahead log to carry along.
    sqlite3_exec(copy.get(), "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
    copy.reset();
    partial.RenameTo(target);
}

}  // namespace db
