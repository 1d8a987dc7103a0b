// Dictionary of distinct strings: each string gets a dense 32-bit code.
// The empty string is always code 0. Texts live in one character buffer.
#pragma once

#include <cstddef>
#include <cstdint>
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
    std::uint32_t Intern(std::string_view text, std::uint32_t hash);
    // Starts loading the slot of a hash, so that many lookups overlap their cache misses.
    void Prefetch(std::uint32_t hash) const {
        if (!slots_.empty())
            __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    }
    // The code of the text; kNoCode when absent. Scans when not indexed.
    std::uint32_t Find(std::string_view text) const;
    // Drops the hash index: for columns whose values are nearly all distinct,
    // where the index costs more memory and time than it saves.
    void DropIndex();
    bool Indexed() const { return !slots_.empty(); }
    std::string_view Get(std::uint32_t code) const {
        return std::string_view(chars_).substr(offsets_[code], offsets_[code + 1] - offsets_[code]);
    }
    std::size_t Size() const { return offsets_.size() - 1; }
    std::size_t MemoryBytes() const;
    void ShrinkIfSlack();

    static std::uint32_t Hash(std::string_view text);

private:
    void Grow();
    std::string chars_;
    std::vector<std::uint32_t> offsets_;
    // Open addressing: each slot holds the 32-bit hash (high half) and the
    // code (low half), so probes compare texts only on equal hashes.
    std::vector<std::uint64_t> slots_;
};

}  // namespace vcl
