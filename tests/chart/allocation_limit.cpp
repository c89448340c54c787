#include "allocation_limit.h"

#include <cstdlib>
#include <new>

std::atomic<size_t> charttest::refuseFrom{SIZE_MAX};

void* operator new(size_t size)
{
    if (size >= charttest::refuseFrom.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
// Under AddressSanitizer the array forms do not come through the ones above.
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
