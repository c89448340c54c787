#pragma once
// The program's allocations through `new` fail from a size on while a test
// asks so: the chart must cope with running short of memory.
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace charttest {

// Allocations at least this large throw std::bad_alloc; SIZE_MAX lets all through.
extern std::atomic<size_t> refuseFrom;

}  // namespace charttest
