#include "db/connection.h"

#include <soci/postgresql/soci-postgresql.h>
#include <soci/sqlite3/soci-sqlite3.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <sstream>

namespace db {

namespace {

constexpr std::string_view kSqlitePrefix = "sqlite3://";
constexpr std::string_view kPostgresPrefix = "postgresql://";
constexpr int kBusyTimeoutMs = 30000;

// Reads of a large selection should not go through pread a page at a time:
// the file is mapped (address space only; the kernel pages it in) and the
// page cache holds a good part of it. Both grow with the file, within bounds.
void SizeCaches(soci::session& session, const ConnectInfo& info) {
    constexpr std::uint64_t kMiB = 1024 * 1024;
    std::error_code error;
    const std::string path = SqlitePath(info);
    const std::uint64_t fileBytes = path.empty() ? 0 : std::filesystem::file_size(path, error);
    const std::uint64_t bytes = error ? 0 : fileBytes;
    const std::uint64_t mmap = std::clamp<std::uint64_t>(bytes * 2, 256 * kMiB, 16384 * kMiB);
    const std::uint64_t cache = std::clamp<std::uint64_t>(bytes / 4, 8 * kMiB, 64 * kMiB);
    if (!path.empty())
        session << "PRAGMA mmap_size = " << mmap;
    session << "PRAGMA cache_size = -" << cache / 1024;  // negative: KiB
}

}  // namespace

std::string MaskPassword(std::string_view connect) {
    std::string out(connect);
    constexpr std::string_view kKey = "password=";
    for (std::size_t at = out.find(kKey); at != std::string::npos; at = out.find(kKey, at)) {
        if (at > 0 && out[at - 1] != ' ' && out[at - 1] != '/') {
            at += kKey.size();
            continue;  // part of another key's name or value
        }
        const std::size_t begin = at + kKey.size();
        std::size_t end = begin;
        if (end < out.size() && out[end] == '\'') {
            // A quoted value ends at the next quote not escaped by a backslash.
            for (++end; end < out.size() && out[end] != '\''; ++end) {
                if (out[end] == '\\')
                    ++end;
            }
            end = std::min(end + 1, out.size());
        } else {
            end = std::min(out.find(' ', begin), out.size());
        }
        out.replace(begin, end - begin, "***");
        at = begin + 3;
    }
    return out;
}

ConnectInfo ParseConnect(std::string_view connect) {
    if (connect.starts_with(kSqlitePrefix))
        return {Backend::Sqlite, std::string(connect.substr(kSqlitePrefix.size()))};
    if (connect.starts_with(kPostgresPrefix))
        return {Backend::Postgres, std::string(connect.substr(kPostgresPrefix.size()))};
    throw DbError("unsupported database connection \"" + MaskPassword(connect) +
                  "\": expected sqlite3://db=PATH or postgresql://...");
}

bool IsInMemory(const ConnectInfo& info) {
    return info.backend == Backend::Sqlite && (info.parameters.find(":memory:") != std::string::npos ||
                                               info.parameters.find("mode=memory") != std::string::npos);
}

std::string SqlitePath(const ConnectInfo& info) {
    if (info.backend != Backend::Sqlite || IsInMemory(info))
        return {};
    std::istringstream words(info.parameters);
    std::string word;
    while (words >> word) {
        if (word.starts_with("db="))
            return word.substr(3);
    }
    return info.parameters.find('=') == std::string::npos ? info.parameters : std::string();
}

void Open(soci::session& session, std::string_view connect) {
    Open(session, ParseConnect(connect));
}

void Open(soci::session& session, const ConnectInfo& info) {
    try {
        if (info.backend == Backend::Sqlite) {
            session.open(soci::sqlite3, info.parameters);
            session << "PRAGMA busy_timeout = " << kBusyTimeoutMs;
            session << "PRAGMA foreign_keys = ON";
            SizeCaches(session, info);
            if (!IsInMemory(info)) {
                std::string mode;
                session << "PRAGMA journal_mode = WAL", soci::into(mode);
                session << "PRAGMA synchronous = NORMAL";
            }
        } else {
            session.open(soci::postgresql, info.parameters);
            // Dates are read back as text: ISO whatever the server's default.
            session << "SET DateStyle = ISO";
            // "already exists, skipping" and the like are no news.
            session << "SET client_min_messages = warning";
        }
    } catch (const soci::soci_error& e) {
        throw DbError(std::string("cannot open the database: ") + e.what());
    }
}

bool UseEachSqliteConnectionFromOneThread() {
    return sqlite_api::sqlite3_config(SQLITE_CONFIG_MULTITHREAD) == SQLITE_OK;
}

Backend BackendOf(soci::session& session) {
    return session.get_backend_name() == "postgresql" ? Backend::Postgres : Backend::Sqlite;
}

std::string SqlState(const soci::soci_error& error) {
    if (const auto* pg = dynamic_cast<const soci::postgresql_soci_error*>(&error))
        return pg->sqlstate();
    return {};
}

bool IsTransient(const soci::soci_error& error) {
    if (const auto* lite = dynamic_cast<const soci::sqlite3_soci_error*>(&error)) {
        const int code = lite->result() & 0xff;
        return code == SQLITE_BUSY || code == SQLITE_LOCKED;
    }
    const std::string state = SqlState(error);
    return state == "40001" || state == "40P01" || state == "23505";
}

bool IsBusy(const soci::soci_error& error) {
    if (const auto* lite = dynamic_cast<const soci::sqlite3_soci_error*>(&error)) {
        const int code = lite->result() & 0xff;
        return code == SQLITE_BUSY || code == SQLITE_LOCKED;
    }
    const std::string state = SqlState(error);
    return state == "55P03" || state == "57014" || state == "40001" || state == "40P01";
}

void LimitWaits(soci::session& session, std::chrono::milliseconds limit) {
    const long long ms = std::max<long long>(1, limit.count());
    if (BackendOf(session) == Backend::Sqlite) {
        session << "PRAGMA busy_timeout = " + std::to_string(ms);
    } else {
        session << "SET lock_timeout = " + std::to_string(ms);
        session << "SET statement_timeout = " + std::to_string(ms);
    }
}

WriteTransaction::WriteTransaction(soci::session& session) : session_(session) {
    if (BackendOf(session_) == Backend::Sqlite)
        session_ << "BEGIN IMMEDIATE";
    else
        session_ << "BEGIN";
}

WriteTransaction::~WriteTransaction() {
    if (!open_)
        return;
    try {
        session_ << "ROLLBACK";
    } catch (const soci::soci_error&) {
        // The connection is gone or the transaction already ended; nothing
        // was committed, which is all a rollback guarantees.
    }
}

void WriteTransaction::Commit() {
    session_ << "COMMIT";
    open_ = false;
}

}  // namespace db
