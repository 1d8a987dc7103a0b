#include "server/row_hand_off.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <system_error>

namespace server {

// Rows of cells written compactly one after the other: per row its count
// of cells, per cell its kind and value, a text's bytes inline. A third of
// what the cells themselves take, which matters because the block's memory
// moves between the two cores' caches each time it is used.
class RowHandOff::Block {
public:
    explicit Block(std::size_t rows) : capacity_(rows * kBytesPerRow), bytes_(new char[capacity_]) {}

    std::size_t Rows() const { return rows_; }
    std::size_t Bytes() const { return used_; }

    void Add(std::span<const vcl::Cell> cells) {
        std::size_t size = sizeof(std::uint32_t);
        for (const vcl::Cell& cell : cells)
            size += 1 + ValueBytes(cell);
        Reserve(size);
        Put(static_cast<std::uint32_t>(cells.size()));
        for (const vcl::Cell& cell : cells) {
            bytes_[used_++] = static_cast<char>(cell.kind());
            switch (cell.kind()) {
                case vcl::Cell::Kind::Null:
                    break;
                case vcl::Cell::Kind::Text: {
                    const std::string_view text = cell.text();
                    Put(static_cast<std::uint32_t>(text.size()));
                    if (!text.empty())
                        std::memcpy(bytes_.get() + used_, text.data(), text.size());
                    used_ += text.size();
                    break;
                }
                case vcl::Cell::Kind::Float:
                    Put(cell.number());
                    break;
                case vcl::Cell::Kind::DateTime:
                    Put(cell.seconds());
                    break;
            }
        }
        ++rows_;
    }

    // Hands each row to `each` as cells (in `row`, reused), texts pointing
    // into the block.
    template <class Each>
    void ForEachRow(std::vector<vcl::Cell>& row, Each&& each) const {
        std::size_t at = 0;
        for (std::size_t r = 0; r < rows_; ++r) {
            row.resize(Take<std::uint32_t>(at), vcl::Cell::Null());
            for (vcl::Cell& cell : row) {
                const auto kind = static_cast<vcl::Cell::Kind>(bytes_[at++]);
                switch (kind) {
                    case vcl::Cell::Kind::Null:
                        cell = vcl::Cell::Null();
                        break;
                    case vcl::Cell::Kind::Text: {
                        const auto size = Take<std::uint32_t>(at);
                        cell = vcl::Cell::Text({bytes_.get() + at, size});
                        at += size;
                        break;
                    }
                    case vcl::Cell::Kind::Float:
                        cell = vcl::Cell::Float(Take<double>(at));
                        break;
                    case vcl::Cell::Kind::DateTime:
                        cell = vcl::Cell::DateTime(vcl::TDateTime{Take<std::int64_t>(at)});
                        break;
                }
            }
            each(std::span<const vcl::Cell>(row));
        }
    }

    void Clear() {
        used_ = 0;
        rows_ = 0;
    }

private:
    static constexpr std::size_t kBytesPerRow = 512;

    static std::size_t ValueBytes(const vcl::Cell& cell) {
        switch (cell.kind()) {
            case vcl::Cell::Kind::Null:
                return 0;
            case vcl::Cell::Kind::Text:
                return sizeof(std::uint32_t) + cell.text().size();
            case vcl::Cell::Kind::Float:
            case vcl::Cell::Kind::DateTime:
                return 8;
        }
        return 0;
    }

    // Room for `more` bytes; nothing points into the block while it is filled.
    void Reserve(std::size_t more) {
        if (used_ + more <= capacity_)
            return;
        const std::size_t capacity = std::max(capacity_ * 2, used_ + more);
        std::unique_ptr<char[]> bytes(new char[capacity]);
        std::memcpy(bytes.get(), bytes_.get(), used_);
        bytes_ = std::move(bytes);
        capacity_ = capacity;
    }

    template <class T>
    void Put(T value) {
        std::memcpy(bytes_.get() + used_, &value, sizeof value);
        used_ += sizeof value;
    }
    template <class T>
    T Take(std::size_t& at) const {
        T value;
        std::memcpy(&value, bytes_.get() + at, sizeof value);
        at += sizeof value;
        return value;
    }

    std::size_t capacity_;
    std::unique_ptr<char[]> bytes_;
    std::size_t used_ = 0;
    std::size_t rows_ = 0;
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
    filling_->Add(cells);
    if (filling_->Rows() == blockRows_ || filling_->Bytes() >= kBlockBytes)
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
    if (!writer_.joinable() && !StartWriter()) {
        // No thread to be had: the rows are written here, in the same order.
        WriteRows(*filling_);
        filling_->Clear();
        return;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failure_ || waiting_.size() < kWaitingBlocks; });
    RethrowFailure();
    std::unique_ptr<Block> next;
    if (spare_.empty()) {
        next = std::make_unique<Block>(blockRows_);
    } else {
        next = std::move(spare_.back());
        spare_.pop_back();
    }
    waiting_.push_back(std::move(filling_));
    filling_ = std::move(next);
    lock.unlock();
    changed_.notify_all();
}

bool RowHandOff::StartWriter() {
    if (writeHere_)
        return false;
    try {
        writer_ = std::thread([this] { WriteBlocks(); });
        return true;
    } catch (const std::system_error&) {
        writeHere_ = true;
        return false;
    }
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

void RowHandOff::WriteRows(const Block& block) {
    block.ForEachRow(row_, [this](std::span<const vcl::Cell> cells) { write_(cells); });
}

void RowHandOff::RethrowFailure() const {
    if (failure_)
        std::rethrow_exception(failure_);
}

}  // namespace server
