// Opening database sessions from a connection text such as
// "sqlite3://db=var/zrm.db" or "postgresql://host=... port=... dbname=...".
#pragma once

#include <soci/soci.h>

#include <chrono>

#include <stdexcept>
#include <string>
#include <string_view>

#include "vcl/exceptions.h"

namespace db {

// A database failure with the context it happened in.
class DbError : public vcl::Error {
public:
    using vcl::Error::Error;
};

enum class Backend { Sqlite, Postgres };

struct ConnectInfo {
    Backend backend = Backend::Sqlite;
    std::string parameters;  // the text after "backend://"
};

// The connection text with the value of its password, if any, shown as
// "***": the form to print or log.
std::string MaskPassword(std::string_view connect);

// DbError when the text names no supported backend.
ConnectInfo ParseConnect(std::string_view connect);

// True for an SQLite database that lives only in the connection's memory;
// every session of it is a separate database.
bool IsInMemory(const ConnectInfo& info);

// The file of a SQLite database ("db=PATH", or the bare path); empty for
// other backends and in-memory databases.
std::string SqlitePath(const ConnectInfo& info);

// Opens `session` on the database. SQLite sessions get a busy timeout and
// foreign-key checks; file databases use write-ahead logging so readers
// never wait for a writer.
void Open(soci::session& session, std::string_view connect);
void Open(soci::session& session, const ConnectInfo& info);

Backend BackendOf(soci::session& session);

// Asks SQLite, before the process opens its first connection, to leave the
// locking of each connection to its user, so that no call into SQLite takes
// a mutex. Only for a process that uses each connection from one thread at
// a time, as the application server does: its calls lease a session each
// from the pool and hold it alone until they end. False when SQLite was
// already in use: it then keeps locking every call.
bool UseEachSqliteConnectionFromOneThread();

// The SQLSTATE of a PostgreSQL error ("40001"...), empty for other errors.
std::string SqlState(const soci::soci_error& error);

// True when retrying the transaction may succeed: PostgreSQL serialization
// failure, deadlock or a lost race on a unique key; SQLite busy or locked.
bool IsTransient(const soci::soci_error& error);

// True when the database was busy: SQLite busy or locked past its busy
// timeout; PostgreSQL lock or statement timeout, serialization failure or
// deadlock.
bool IsBusy(const soci::soci_error& error);

// Bounds how long each statement of `session` may wait for a lock or run:
// SQLite's busy timeout; PostgreSQL's lock_timeout and statement_timeout.
void LimitWaits(soci::session& session, std::chrono::milliseconds limit);

// A transaction that rolls back unless committed. On SQLite it starts with
// BEGIN IMMEDIATE, taking the write lock at once, so that concurrent writers
// queue on the busy timeout instead of failing halfway.
class WriteTransaction {
public:
    explicit WriteTransaction(soci::session& session);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;

    void Commit();

private:
    soci::session& session_;
    bool open_ = true;
};

}  // namespace db
