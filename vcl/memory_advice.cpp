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

}  // namespace vcl
