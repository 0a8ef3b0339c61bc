// Counts the heap allocations a piece of code makes, so tests can bound the memory a hostile file costs
// without timing anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace testsupport {

struct AllocationCount {
    size_t largest = 0; // the largest single allocation
    uint64_t total = 0; // every allocation's bytes added up
};

// What `f` allocated while it ran; all zero when the build cannot tell (no AddressSanitizer).
AllocationCount CountAllocationsDuring(const std::function<void()>& f);

} // namespace testsupport
