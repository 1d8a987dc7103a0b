#include "vcl/memory_advice.h"

#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vcl {

void AdviseHugePages(const void* data, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    if (data == nullptr || bytes < 2 * kHugePage)
        return;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
    if (last > first)
        (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);  // only a hint
#else
    (void)data;
    (void)bytes;
#endif
}

void PrefaultForWrite(void* data, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
    constexpr std::uintptr_t kPage = 4096;
    constexpr std::size_t kWorthIt = std::size_t{256} << 10;  // small buffers fault in a few pages anyway
    if (data == nullptr || bytes < kWorthIt)
        return;
    // Whole pages only: the partial ones at the ends may belong to other buffers.
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t last = (start + bytes) & ~(kPage - 1);
    if (last > first)
        (void)madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);  // only a hint
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace vcl
