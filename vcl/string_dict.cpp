#include "vcl/string_dict.h"

#include <cstring>

#include "vcl/exceptions.h"
#include "vcl/memory_advice.h"

namespace vcl {

StringDict::StringDict() : offsets_{0}, slots_(16, kFreeSlot) {
    Intern({});
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

std::uint32_t StringDict::Add(std::string_view text, std::uint32_t hash, std::size_t slot) {
    if (!Indexed()) {
        if (chars_.size() + text.size() >= 0xFFFFFFF0u || Size() >= 0x7FFFFFF0u)
            throw EDatabaseError("Dicionário de textos cheio");
        chars_.append(text);
        offsets_.push_back(static_cast<std::uint32_t>(chars_.size()));
        return static_cast<std::uint32_t>(Size() - 1);
    }
    if (chars_.size() + text.size() >= 0xFFFFFFF0u || Size() >= 0x7FFFFFF0u)
        throw EDatabaseError("Dicionário de textos cheio");
    const auto code = static_cast<std::uint32_t>(Size());
    chars_.append(text);
    offsets_.push_back(static_cast<std::uint32_t>(chars_.size()));
    slots_[slot] = (std::uint64_t{hash} << 32) | code;
    if (Size() * 2 > slots_.size())
        Grow();
    return code;
}

bool StringDict::IndexCostsMoreThanItSaves(std::size_t cells) const {
    const std::size_t entry = sizeof(std::uint32_t);  // an offset
    const std::size_t indexed = chars_.size() + Size() * entry + slots_.size() * sizeof(std::uint64_t);
    const std::size_t averageText = chars_.size() / Size();
    return indexed > cells * (averageText + entry);
}

void StringDict::ReserveEntries(std::size_t entries) {
    // The texts so far, a little over their average length: a close
    // estimate, so that no copy gives the slack back afterwards.
    const std::size_t more = entries * chars_.size() / Size();
    const std::size_t chars = chars_.size() + more + more / 128 + 64;
    if (chars > chars_.capacity()) {
        chars_.reserve(chars);
        AdviseHugePages(chars_.data(), chars);
        PrefaultForWrite(chars_.data() + chars_.size(), chars - chars_.size());
    }
    const std::size_t offsets = offsets_.size() + entries;
    if (offsets > offsets_.capacity()) {
        offsets_.reserve(offsets);
        AdviseHugePages(offsets_.data(), offsets * sizeof(std::uint32_t));
        PrefaultForWrite(offsets_.data() + offsets_.size(), entries * sizeof(std::uint32_t));
    }
}

void StringDict::DropIndex() {
    slots_.clear();
    slots_.shrink_to_fit();
}

void StringDict::Grow() {
    const std::size_t size = slots_.size() * 2;
    std::vector<std::uint64_t> slots;
    slots.reserve(size);
    AdviseHugePages(slots.data(), size * sizeof(std::uint64_t));
    slots.assign(size, kFreeSlot);
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
