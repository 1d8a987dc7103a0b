// Replaces the global allocation functions to count live heap bytes.
#include "alloc_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

void* Allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    const std::size_t now = inUse.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    std::size_t old = peak.load();
    while (now > old && !peak.compare_exchange_weak(old, now)) {
    }
    return p;
}

void Release(void* p) {
    if (p == nullptr)
        return;
    inUse.fetch_sub(malloc_usable_size(p));
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}

namespace bench {
std::size_t HeapInUse() {
    return inUse.load();
}
std::size_t HeapPeak() {
    return peak.load();
}
void ResetHeapPeak() {
    peak.store(inUse.load());
}
}  // namespace bench
