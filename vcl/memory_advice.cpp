#include "vcl/memory_advice.h"

#include <cstdint>
#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vcl {
namespace {

#if defined(MADV_HUGEPAGE) || defined(MADV_POPULATE_WRITE)
// Gives `advice` for the whole `page`-sized pages inside the buffer: the
// partial ones at its ends may belong to other buffers. Only a hint.
void AdviseWholePages(const void* data, std::size_t bytes, std::uintptr_t page, int advice) {
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + page - 1) & ~(page - 1);
    const std::uintptr_t last = (start + bytes) & ~(page - 1);
    if (last > first)
        (void)madvise(reinterpret_cast<void*>(first), last - first, advice);
}
#endif

}  // namespace

void AdviseHugePages(const void* data, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    if (data == nullptr || bytes < 2 * kHugePage)
        return;
    AdviseWholePages(data, bytes, kHugePage, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

void PrefaultForWrite(void* data, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
    constexpr std::size_t kWorthIt = std::size_t{256} << 10;  // small buffers fault in a few pages anyway
    if (data == nullptr || bytes < kWorthIt)
        return;
    AdviseWholePages(data, bytes, 4096, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

void KeepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    // Buffers up to the largest threshold glibc takes (32 MiB) come from the
    // heap rather than from mappings of their own, which each free unmaps...
    (void)mallopt(M_MMAP_THRESHOLD, 32 << 20);
    // ...and the heap keeps what is freed at its top.
    (void)mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

}  // namespace vcl
