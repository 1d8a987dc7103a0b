#include "server/row_hand_off.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace server {

// Rows of cells whose texts live in the block's own buffer. The buffer is
// never reallocated while cells point into it: a row that does not fit
// closes the block, and only an empty block grows.
class RowHandOff::Block {
public:
    static constexpr std::size_t kTextBytesPerRow = 256;

    explicit Block(std::size_t rows) : capacity_(rows * kTextBytesPerRow), texts_(new char[capacity_]) {
        rowEnds_.reserve(rows);
    }

    std::size_t Rows() const { return rowEnds_.size(); }
    bool Fits(std::size_t textBytes) const { return used_ + textBytes <= capacity_; }

    void Add(std::span<const vcl::Cell> cells, std::size_t textBytes) {
        if (!Fits(textBytes) && Rows() == 0) {
            capacity_ = std::max(capacity_ * 2, textBytes);
            texts_.reset(new char[capacity_]);
            used_ = 0;
        }
        for (const vcl::Cell& cell : cells) {
            if (cell.kind() != vcl::Cell::Kind::Text) {
                cells_.push_back(cell);
                continue;
            }
            const std::string_view text = cell.text();
            char* copy = texts_.get() + used_;
            if (!text.empty())
                std::memcpy(copy, text.data(), text.size());
            used_ += text.size();
            cells_.push_back(vcl::Cell::Text({copy, text.size()}));
        }
        rowEnds_.push_back(cells_.size());
    }

    template <class Each>
    void ForEachRow(Each&& each) const {
        const std::span<const vcl::Cell> all(cells_);
        std::size_t begin = 0;
        for (const std::size_t end : rowEnds_) {
            each(all.subspan(begin, end - begin));
            begin = end;
        }
    }

    void Clear() {
        cells_.clear();
        rowEnds_.clear();
        used_ = 0;
    }

private:
    std::size_t capacity_;
    std::unique_ptr<char[]> texts_;
    std::size_t used_ = 0;
    std::vector<vcl::Cell> cells_;
    std::vector<std::size_t> rowEnds_;  // one past each row's last cell
};

RowHandOff::RowHandOff(CellsSink write, std::size_t blockRows)
    : write_(std::move(write)),
      blockRows_(std::max<std::size_t>(blockRows, 1)),
      filling_(std::make_unique<Block>(blockRows_)) {}

RowHandOff::~RowHandOff() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (writer_.joinable())
        writer_.join();
}

void RowHandOff::Add(std::span<const vcl::Cell> cells) {
    std::size_t textBytes = 0;
    for (const vcl::Cell& cell : cells) {
        if (cell.kind() == vcl::Cell::Kind::Text)
            textBytes += cell.text().size();
    }
    if (filling_->Rows() > 0 && !filling_->Fits(textBytes))
        HandOver();
    filling_->Add(cells, textBytes);
    if (filling_->Rows() == blockRows_)
        HandOver();
}

void RowHandOff::Drain() {
    if (!writer_.joinable()) {
        // Never more than a block: no thread is worth starting for it.
        WriteRows(*filling_);
        filling_->Clear();
        return;
    }
    if (filling_->Rows() > 0)
        HandOver();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failure_ || (waiting_.empty() && !writing_); });
    RethrowFailure();
}

void RowHandOff::HandOver() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failure_ || waiting_.size() < kWaitingBlocks; });
    RethrowFailure();
    waiting_.push_back(std::move(filling_));
    if (spare_.empty()) {
        filling_ = std::make_unique<Block>(blockRows_);
    } else {
        filling_ = std::move(spare_.back());
        spare_.pop_back();
    }
    lock.unlock();
    changed_.notify_all();
    if (!writer_.joinable())
        writer_ = std::thread([this] { WriteBlocks(); });
}

void RowHandOff::WriteBlocks() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_)
            return;
        std::unique_ptr<Block> block = std::move(waiting_.front());
        waiting_.pop_front();
        writing_ = true;
        lock.unlock();
        changed_.notify_all();  // room for the reader's next block
        std::exception_ptr failure;
        try {
            WriteRows(*block);
        } catch (...) {
            failure = std::current_exception();
        }
        block->Clear();
        lock.lock();
        writing_ = false;
        spare_.push_back(std::move(block));
        if (failure) {
            failure_ = failure;
            waiting_.clear();
            changed_.notify_all();
            return;
        }
        changed_.notify_all();
    }
}

void RowHandOff::WriteRows(const Block& block) const {
    block.ForEachRow([this](std::span<const vcl::Cell> row) { write_(row); });
}

void RowHandOff::RethrowFailure() const {
    if (failure_)
        std::rethrow_exception(failure_);
}

}  // namespace server
