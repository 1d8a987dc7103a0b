#include "vcl/string_dict.h"

#include <cstring>

#include "vcl/exceptions.h"

namespace vcl {

namespace {
constexpr std::uint64_t kFreeSlot = ~std::uint64_t{0};
}

StringDict::StringDict() : offsets_{0}, slots_(16, kFreeSlot) {
    Intern({});
}

std::uint32_t StringDict::Hash(std::string_view text) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = text.size() * kMul;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        h = (h ^ word) * kMul;
        h ^= h >> 29;
    }
    std::uint64_t tail = 0;
    if (i < text.size()) {
        std::memcpy(&tail, text.data() + i, text.size() - i);
        h = (h ^ tail) * kMul;
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return static_cast<std::uint32_t>(h);
}

std::uint32_t StringDict::Find(std::string_view text) const {
    if (!Indexed()) {
        for (std::uint32_t code = 0; code < Size(); ++code)
            if (Get(code) == text)
                return code;
        return kNoCode;
    }
    const std::uint32_t hash = Hash(text);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t entry = slots_[slot];
        if (entry == kFreeSlot)
            return kNoCode;
        const auto code = static_cast<std::uint32_t>(entry);
        if ((entry >> 32) == hash && SameText(Get(code), text))
            return code;
    }
}

std::uint32_t StringDict::Intern(std::string_view text, std::uint32_t hash) {
    if (!Indexed()) {
        if (chars_.size() + text.size() >= 0xFFFFFFF0u || Size() >= 0x7FFFFFF0u)
            throw EDatabaseError("String dictionary full");
        chars_.append(text);
        offsets_.push_back(static_cast<std::uint32_t>(chars_.size()));
        return static_cast<std::uint32_t>(Size() - 1);
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hash & mask;
    for (;; slot = (slot + 1) & mask) {
        const std::uint64_t entry = slots_[slot];
        if (entry == kFreeSlot)
            break;
        const auto code = static_cast<std::uint32_t>(entry);
        if ((entry >> 32) == hash && SameText(Get(code), text))
            return code;
    }
    if (chars_.size() + text.size() >= 0xFFFFFFF0u || Size() >= 0x7FFFFFF0u)
        throw EDatabaseError("String dictionary full");
    const auto code = static_cast<std::uint32_t>(Size());
    chars_.append(text);
    offsets_.push_back(static_cast<std::uint32_t>(chars_.size()));
    slots_[slot] = (std::uint64_t{hash} << 32) | code;
    if (Size() * 2 > slots_.size())
        Grow();
    return code;
}

void StringDict::DropIndex() {
    slots_.clear();
    slots_.shrink_to_fit();
}

void StringDict::Grow() {
    std::vector<std::uint64_t> slots(slots_.size() * 2, kFreeSlot);
    const std::size_t mask = slots.size() - 1;
    for (const std::uint64_t entry : slots_) {
        if (entry == kFreeSlot)
            continue;
        std::size_t slot = (entry >> 32) & mask;
        while (slots[slot] != kFreeSlot)
            slot = (slot + 1) & mask;
        slots[slot] = entry;
    }
    slots_ = std::move(slots);
}

void StringDict::ShrinkIfSlack() {
    if (chars_.capacity() > chars_.size() + chars_.size() / 32 + 64)
        chars_.shrink_to_fit();
    if (offsets_.capacity() > offsets_.size() + offsets_.size() / 32 + 64)
        offsets_.shrink_to_fit();
}

std::size_t StringDict::MemoryBytes() const {
    return chars_.capacity() + offsets_.capacity() * sizeof(std::uint32_t) +
           slots_.capacity() * sizeof(std::uint64_t);
}

}  // namespace vcl
