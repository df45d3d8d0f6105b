// Every form of operator new and delete, over malloc, counting the bytes each block holds
// (malloc_usable_size, so that sized and unsized deletes agree).
#include "tests/tools/heap_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<size_t> live{0};
std::atomic<size_t> peak{0};

void* Take(size_t size, size_t alignment) noexcept {
    void* p = alignment > alignof(std::max_align_t)
                  ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                  : std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) return nullptr;
    const size_t now = live.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    size_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
    return p;
}

void* TakeOrThrow(size_t size, size_t alignment) {
    void* p = Take(size, alignment);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void Give(void* p) noexcept {
    if (p == nullptr) return;
    live.fetch_sub(malloc_usable_size(p));
    std::free(p);
}

}  // namespace

namespace heapcount {
size_t Live() { return live.load(); }
size_t Peak() { return peak.load(); }
void ResetPeak() { peak.store(live.load()); }
}  // namespace heapcount

void* operator new(size_t n) { return TakeOrThrow(n, 0); }
void* operator new[](size_t n) { return TakeOrThrow(n, 0); }
void* operator new(size_t n, std::align_val_t a) { return TakeOrThrow(n, static_cast<size_t>(a)); }
void* operator new[](size_t n, std::align_val_t a) { return TakeOrThrow(n, static_cast<size_t>(a)); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Take(n, 0); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Take(n, 0); }
void* operator new(size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Take(n, static_cast<size_t>(a));
}
void* operator new[](size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Take(n, static_cast<size_t>(a));
}
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, size_t) noexcept { Give(p); }
void operator delete[](void* p, size_t) noexcept { Give(p); }
void operator delete(void* p, std::align_val_t) noexcept { Give(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Give(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { Give(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { Give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { Give(p); }
