#include "host/allocation_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(_WIN32)
#include <malloc.h>  // _aligned_malloc, _aligned_free
#endif

namespace tw {

namespace {

std::atomic<int> openCounters{0};
std::atomic<int> uncounted{0};
std::atomic<uint64_t> counted{0};

void noteAllocation() {
    if (openCounters.load(std::memory_order_relaxed) > 0 &&
        uncounted.load(std::memory_order_relaxed) == 0)
        counted.fetch_add(1, std::memory_order_relaxed);
}

void* allocate(std::size_t size) {
    noteAllocation();
    if (size == 0) size = 1;
    for (;;) {
        if (void* p = std::malloc(size)) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) return nullptr;
        handler();
    }
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    noteAllocation();
    auto align = static_cast<std::size_t>(alignment);
    if (align < sizeof(void*)) align = sizeof(void*);
    if (size == 0) size = 1;
    for (;;) {
#if defined(_WIN32)
        if (void* p = _aligned_malloc(size, align)) return p;
#else
        void* p = nullptr;
        if (posix_memalign(&p, align, size) == 0) return p;
#endif
        std::new_handler handler = std::get_new_handler();
        if (!handler) return nullptr;
        handler();
    }
}

void release(void* p) { std::free(p); }

void releaseAligned(void* p) {
#if defined(_WIN32)
    _aligned_free(p);
#else
    std::free(p);
#endif
}

}  // namespace

AllocationCount::AllocationCount() {
    openCounters.fetch_add(1);
    start_ = counted.load();
}

AllocationCount::~AllocationCount() { openCounters.fetch_sub(1); }

uint64_t AllocationCount::allocations() const { return counted.load() - start_; }

UncountedAllocations::UncountedAllocations() { uncounted.fetch_add(1); }
UncountedAllocations::~UncountedAllocations() { uncounted.fetch_sub(1); }

}  // namespace tw

// ---- The replaceable allocation functions -------------------------------------

void* operator new(std::size_t size) {
    if (void* p = tw::allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = tw::allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return tw::allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return tw::allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    if (void* p = tw::allocateAligned(size, alignment)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    if (void* p = tw::allocateAligned(size, alignment)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return tw::allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return tw::allocateAligned(size, alignment);
}

void operator delete(void* p) noexcept { tw::release(p); }
void operator delete[](void* p) noexcept { tw::release(p); }
void operator delete(void* p, std::size_t) noexcept { tw::release(p); }
void operator delete[](void* p, std::size_t) noexcept { tw::release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { tw::release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { tw::release(p); }
void operator delete(void* p, std::align_val_t) noexcept { tw::releaseAligned(p); }
void operator delete[](void* p, std::align_val_t) noexcept { tw::releaseAligned(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { tw::releaseAligned(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { tw::releaseAligned(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    tw::releaseAligned(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    tw::releaseAligned(p);
}
