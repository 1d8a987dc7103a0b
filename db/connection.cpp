#include "db/connection.h"

#include <soci/postgresql/soci-postgresql.h>
#include <soci/sqlite3/soci-sqlite3.h>
#include <sqlite3.h>

namespace db {

namespace {

constexpr std::string_view kSqlitePrefix = "sqlite3://";
constexpr std::string_view kPostgresPrefix = "postgresql://";
constexpr int kBusyTimeoutMs = 30000;

}  // namespace

ConnectInfo ParseConnect(std::string_view connect) {
    if (connect.starts_with(kSqlitePrefix))
        return {Backend::Sqlite, std::string(connect.substr(kSqlitePrefix.size()))};
    if (connect.starts_with(kPostgresPrefix))
        return {Backend::Postgres, std::string(connect.substr(kPostgresPrefix.size()))};
    throw DbError("unsupported database connection \"" + Redacted(connect) +
                  "\": expected sqlite3://db=PATH or postgresql://...");
}

std::string Redacted(std::string_view connect) {
    // libpq's key=value form: the value runs to the next blank, or is quoted
    // with '...' and backslash escapes.
    std::string out;
    std::size_t i = 0;
    constexpr std::string_view kKey = "password=";
    while (i < connect.size()) {
        const std::size_t found = connect.find(kKey, i);
        const bool atWordStart =
            found != std::string_view::npos && (found == 0 || connect[found - 1] == ' ' ||
                                                connect[found - 1] == '/' || connect[found - 1] == '\t');
        if (found == std::string_view::npos) {
            out.append(connect.substr(i));
            break;
        }
        out.append(connect.substr(i, found + kKey.size() - i));
        i = found + kKey.size();
        if (!atWordStart)
            continue;
        out += "***";
        if (i < connect.size() && connect[i] == '\'') {
            for (++i; i < connect.size() && connect[i] != '\''; ++i) {
                if (connect[i] == '\\')
                    ++i;
            }
            ++i;
        } else {
            while (i < connect.size() && connect[i] != ' ' && connect[i] != '\t')
                ++i;
        }
    }
    return out;
}

bool IsInMemory(const ConnectInfo& info) {
    return info.backend == Backend::Sqlite && (info.parameters.find(":memory:") != std::string::npos ||
                                               info.parameters.find("mode=memory") != std::string::npos);
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
