// Rows handed from the thread that reads them to a second thread that
// writes them, so that the database's work and the answer's encoding run
// on two cores at once. Each row's cells are copied into a block (the
// reader's cells point into the statement, valid only until its next
// step); at most a few blocks wait, so memory stays bounded whatever the
// selection's size. A selection of less than a block never starts the
// thread: its rows are written on the reader's thread by Drain.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "server/sqlite_rows.h"
#include "vcl/data_packet.h"

namespace server {

class RowHandOff {
public:
    static constexpr std::size_t kBlockRows = 256;
    static constexpr std::size_t kBlockBytes = 256 * 1024;  // a block of long rows goes early
    static constexpr std::size_t kWaitingBlocks = 4;

    // `write` takes each row in the order added, on the second thread.
    explicit RowHandOff(CellsSink write, std::size_t blockRows = kBlockRows);
    // Stops the writer once its current block is written; blocks still
    // waiting are dropped (the reader failed, or the writer did).
    ~RowHandOff();
    RowHandOff(const RowHandOff&) = delete;
    RowHandOff& operator=(const RowHandOff&) = delete;

    // Copies the row for the writer. Rethrows what the writer threw, on the
    // reader's thread; nothing more is written then.
    void Add(std::span<const vcl::Cell> cells);
    // Returns once every row added is written; rethrows the writer's failure.
    void Drain();

private:
    class Block;

    void HandOver();     // the block being filled goes to the writer
    bool StartWriter();  // false when the system gives no thread
    void WriteBlocks();
    void WriteRows(const Block& block);  // on one thread at a time
    void RethrowFailure() const;         // with the lock held

    CellsSink write_;
    const std::size_t blockRows_;
    std::unique_ptr<Block> filling_;  // the reader's
    std::vector<vcl::Cell> row_;      // the writer's, for the row it writes

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Block>> waiting_;
    std::vector<std::unique_ptr<Block>> spare_;  // written, to be filled again
    bool writing_ = false;                       // the writer holds a block
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread writer_;      // started with the first full block
    bool writeHere_ = false;  // no thread could be started: the reader writes
};

}  // namespace server
