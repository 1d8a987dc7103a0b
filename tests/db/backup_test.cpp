#include "db/backup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "db/connection.h"
#include "db/init_db.h"
#include "db/schema_version.h"
#include "test_database.h"

namespace {

double TotalStock(soci::session& session) {
    double total = 0;
    session << "SELECT SUM(QTESTOQUE) FROM ESTOQUE", soci::into(total);
    return total;
}

// Moves one unit between two stock rows per transaction, as the server's
// writes do, until told to stop: every committed state has the same total.
class StockMover {
public:
    explicit StockMover(const std::string& connect)
        : thread_([this, connect] {
              soci::session session;
              db::Open(session, connect);
              while (!stop_) {
                  db::WriteTransaction tx(session);
                  session
                      << "UPDATE ESTOQUE SET QTESTOQUE = QTESTOQUE - 1 WHERE rowid = (SELECT MIN(rowid) FROM "
                         "ESTOQUE)";
                  session
                      << "UPDATE ESTOQUE SET QTESTOQUE = QTESTOQUE + 1 WHERE rowid = (SELECT MAX(rowid) FROM "
                         "ESTOQUE)";
                  tx.Commit();
                  ++moves_;
              }
          }) {}
    ~StockMover() {
        stop_ = true;
        thread_.join();
    }
    int Moves() const { return moves_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> moves_{0};
    std::thread thread_;
};

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override { db::InitDatabase(database_.Connect(), {.demo = true, .notes = 40}); }
    std::string Target(const char* name) const {
        return (std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "_" + name)).string();
    }
    testdb::TestDatabase database_{"sqlite"};
};

TEST_F(BackupTest, CopiesAConsistentSnapshotWhileAnotherConnectionWrites) {
    soci::session live;
    db::Open(live, database_.Connect());
    const double total = TotalStock(live);
    const std::string target = Target("backup.db");
    {
        StockMover mover(database_.Connect());
        while (mover.Moves() < 20)
            std::this_thread::yield();
        for (int copy = 0; copy < 3; ++copy) {
            db::BackupSqlite(database_.Connect(), target);  // over the previous copy
            soci::session copied;
            db::Open(copied, "sqlite3://db=" + target);
            EXPECT_DOUBLE_EQ(TotalStock(copied), total);
            EXPECT_EQ(db::SchemaVersion(copied), db::kSchemaVersion);
            long long notes = 0;
            copied << "SELECT COUNT(*) FROM NOTAENTRADA", soci::into(notes);
            EXPECT_EQ(notes, 40);
        }
        const int before = mover.Moves();
        while (mover.Moves() < before + 20)
            std::this_thread::yield();  // the writer was never stopped by the copies
    }
    EXPECT_DOUBLE_EQ(TotalStock(live), total);
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(target + suffix);
}

TEST_F(BackupTest, RefusesWhatItCannotCopyAndLeavesNoFileBehind) {
    const std::string target = Target("refused.db");
    const std::string folderless = Target("no-such-folder/copy.db");
    EXPECT_THROW(db::BackupSqlite("postgresql://dbname=zrm", target), db::DbError);
    EXPECT_THROW(db::BackupSqlite("sqlite3://db=:memory:", target), db::DbError);
    EXPECT_THROW(db::BackupSqlite("sqlite3://db=/nonexistent/zrm.db", target), db::DbError);
    EXPECT_FALSE(std::filesystem::exists("/nonexistent/zrm.db"));
    EXPECT_THROW(db::BackupSqlite(database_.Connect(), folderless), db::DbError);
    EXPECT_FALSE(std::filesystem::exists(target));
    const auto folder = std::filesystem::path(target).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(std::to_string(::getpid()) + "_refused"),
                  std::string::npos);
}

}  // namespace
