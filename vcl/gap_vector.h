// A sequence with a movable gap: inserting or erasing near the last edit is
// O(1) amortized, so walking a dataset while deleting or inserting stays linear.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace vcl {

template <class T>
class GapVector {
public:
    std::size_t size() const { return buf_.size() - (gapEnd_ - gapStart_); }
    bool empty() const { return size() == 0; }
    T operator[](std::size_t i) const { return i < gapStart_ ? buf_[i] : buf_[i + (gapEnd_ - gapStart_)]; }

    void Assign(std::vector<T> values) {
        buf_ = std::move(values);
        gapStart_ = gapEnd_ = buf_.size();
    }
    void Clear() { Assign({}); }

    void Insert(std::size_t pos, T value) {
        if (gapStart_ == gapEnd_)
            Grow(pos);
        MoveGap(pos);
        buf_[gapStart_++] = value;
    }
    void Erase(std::size_t pos) {
        MoveGap(pos);
        ++gapEnd_;
    }
    std::size_t MemoryBytes() const { return buf_.capacity() * sizeof(T); }

private:
    void MoveGap(std::size_t pos) {
        if (pos < gapStart_) {
            const std::size_t count = gapStart_ - pos;
            std::move_backward(buf_.begin() + static_cast<std::ptrdiff_t>(pos),
                               buf_.begin() + static_cast<std::ptrdiff_t>(gapStart_),
                               buf_.begin() + static_cast<std::ptrdiff_t>(gapEnd_));
            gapStart_ -= count;
            gapEnd_ -= count;
        } else if (pos > gapStart_) {
            const std::size_t count = pos - gapStart_;
            std::move(buf_.begin() + static_cast<std::ptrdiff_t>(gapEnd_),
                      buf_.begin() + static_cast<std::ptrdiff_t>(gapEnd_ + count),
                      buf_.begin() + static_cast<std::ptrdiff_t>(gapStart_));
            gapStart_ += count;
            gapEnd_ += count;
        }
    }
    void Grow(std::size_t pos) {
        const std::size_t n = size();
        const std::size_t gap = std::max<std::size_t>(16, n / 2);
        std::vector<T> grown(n + gap);
        for (std::size_t i = 0; i < pos; ++i)
            grown[i] = (*this)[i];
        for (std::size_t i = pos; i < n; ++i)
            grown[i + gap] = (*this)[i];
        buf_ = std::move(grown);
        gapStart_ = pos;
        gapEnd_ = pos + gap;
    }

    std::vector<T> buf_;
    std::size_t gapStart_ = 0;
    std::size_t gapEnd_ = 0;
};

}  // namespace vcl
