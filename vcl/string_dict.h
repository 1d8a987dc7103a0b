// Dictionary of distinct strings: each string gets a dense 32-bit code.
// The empty string is always code 0. Texts live in one character buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace vcl {

// Equality of short texts without a library call (most cells are short codes).
inline bool SameText(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    const char* x = a.data();
    const char* y = b.data();
    auto load8 = [](const char* p) {
        std::uint64_t v;
        __builtin_memcpy(&v, p, 8);
        return v;
    };
    auto load4 = [](const char* p) {
        std::uint32_t v;
        __builtin_memcpy(&v, p, 4);
        return v;
    };
    if (n >= 8) {
        for (std::size_t i = 0; i + 8 < n; i += 8)
            if (load8(x + i) != load8(y + i))
                return false;
        return load8(x + n - 8) == load8(y + n - 8);
    }
    if (n >= 4)
        return load4(x) == load4(y) && load4(x + n - 4) == load4(y + n - 4);
    for (std::size_t i = 0; i < n; ++i)
        if (x[i] != y[i])
            return false;
    return true;
}

class StringDict {
public:
    static constexpr std::uint32_t kNoCode = 0xFFFFFFFFu;

    StringDict();
    // The code of the text, adding it when new. Without the hash index every
    // call adds an entry (equal texts may then have several codes).
    std::uint32_t Intern(std::string_view text) { return Intern(text, Hash(text)); }
    std::uint32_t Intern(std::string_view text, std::uint32_t hash) {
        if (!Indexed())
            return Add(text, hash, 0);
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = hash & mask;
        for (;; slot = (slot + 1) & mask) {
            const std::uint64_t entry = slots_[slot];
            if (entry == kFreeSlot)
                return Add(text, hash, slot);
            const auto code = static_cast<std::uint32_t>(entry);
            if ((entry >> 32) == hash && SameText(Get(code), text))
                return code;
        }
    }
    // Starts loading the slot of a hash, so that many lookups overlap their cache misses.
    void Prefetch(std::uint32_t hash) const {
        if (!slots_.empty())
            __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    }
    // Later steps of a lookup, for many texts ahead of their Intern so that
    // their cache misses overlap: once the slot has arrived, the offset of
    // the entry it names; once that has arrived, the entry's text.
    void PrefetchEntry(std::uint32_t hash) const {
        const std::uint32_t code = CandidateCode(hash);
        if (code != kNoCode)
            __builtin_prefetch(&offsets_[code]);
    }
    void PrefetchEntryText(std::uint32_t hash) const {
        const std::uint32_t code = CandidateCode(hash);
        if (code != kNoCode)
            __builtin_prefetch(chars_.data() + offsets_[code]);
    }
    // The code of the text; kNoCode when absent. Scans when not indexed.
    std::uint32_t Find(std::string_view text) const;
    // Drops the hash index: for columns whose values are nearly all distinct,
    // where the index costs more memory and time than it saves.
    void DropIndex();
    // Room for `entries` more entries of the average length so far.
    void ReserveEntries(std::size_t entries);
    bool Indexed() const { return !slots_.empty(); }
    // Whether, for `cells` cells coded so far, the index and the distinct
    // texts take more memory than one entry per cell would: the index then
    // costs more memory, and time (its lookups miss the cache), than it saves.
    bool IndexCostsMoreThanItSaves(std::size_t cells) const;
    std::string_view Get(std::uint32_t code) const {
        return std::string_view(chars_.data() + offsets_[code], offsets_[code + 1] - offsets_[code]);
    }
    std::size_t Size() const { return offsets_.size() - 1; }
    std::size_t MemoryBytes() const;
    void ShrinkIfSlack();

    static std::uint32_t Hash(std::string_view text);

private:
    static constexpr std::uint64_t kFreeSlot = ~std::uint64_t{0};
    // Adds a text Intern did not find; `slot` is the free slot its probe ended on.
    std::uint32_t Add(std::string_view text, std::uint32_t hash, std::size_t slot);
    // The code in the hash's first slot when it holds that hash.
    std::uint32_t CandidateCode(std::uint32_t hash) const {
        if (slots_.empty())
            return kNoCode;
        const std::uint64_t entry = slots_[hash & (slots_.size() - 1)];
        return (entry >> 32) == hash && entry != ~std::uint64_t{0} ? static_cast<std::uint32_t>(entry)
                                                                   : kNoCode;
    }
    void Grow();
    std::string chars_;
    std::vector<std::uint32_t> offsets_;
    // Open addressing: each slot holds the 32-bit hash (high half) and the
    // code (low half), so probes compare texts only on equal hashes.
    std::vector<std::uint64_t> slots_;
};

namespace detail {
inline std::uint64_t Load8(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}
inline std::uint64_t Load4(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
}  // namespace detail

inline std::uint32_t StringDict::Hash(std::string_view text) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    const char* p = text.data();
    const std::size_t n = text.size();
    std::uint64_t h = n * kMul;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        h = (h ^ detail::Load8(p + i)) * kMul;
        h ^= h >> 29;
    }
    if (i < n) {
        // The tail through fixed-size loads that may overlap bytes already
        // hashed: the length is mixed in, so the result is still a function of the text.
        std::uint64_t tail;
        if (n >= 8) {
            tail = detail::Load8(p + n - 8);
        } else if (n >= 4) {
            tail = detail::Load4(p) | (detail::Load4(p + n - 4) << 32);
        } else {
            tail = std::uint64_t{static_cast<unsigned char>(p[0])} |
                   std::uint64_t{static_cast<unsigned char>(p[n / 2])} << 8 |
                   std::uint64_t{static_cast<unsigned char>(p[n - 1])} << 16;
        }
        h = (h ^ tail) * kMul;
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h);
}

}  // namespace vcl
