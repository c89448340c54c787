#pragma once
// Counts every allocation of the process, to show what a code path allocates.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace bench {
inline std::atomic<long> allocations{0};
}

// Replacing the global allocation functions in the program covers the
// component modules too: they resolve operator new to the program's.
#define BENCH_DEFINE_COUNTING_ALLOCATOR                                                    \
    __attribute__((visibility("default"))) void* operator new(std::size_t size)           \
    {                                                                                      \
        bench::allocations.fetch_add(1, std::memory_order_relaxed);                        \
        if (void* p = std::malloc(size ? size : 1))                                        \
            return p;                                                                      \
        throw std::bad_alloc();                                                            \
    }                                                                                      \
    __attribute__((visibility("default"))) void* operator new[](std::size_t size)         \
    {                                                                                      \
        return ::operator new(size);                                                       \
    }                                                                                      \
    __attribute__((visibility("default"))) void operator delete(void* p) noexcept { std::free(p); } \
    __attribute__((visibility("default"))) void operator delete[](void* p) noexcept { std::free(p); } \
    __attribute__((visibility("default"))) void operator delete(void* p, std::size_t) noexcept { std::free(p); } \
    __attribute__((visibility("default"))) void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
