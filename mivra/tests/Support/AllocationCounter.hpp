#pragma once

#include <cstddef>

// Linking the mivra-test-allocations library replaces the program's operator new with one that
// counts: tests and benchmarks that must show a frame or a loop allocating nothing read the counts
// here.
namespace mivra::test
{
// Counts the operator new calls made on this thread while it lives.
class AllocationCounter
{
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;
    [[nodiscard]] std::size_t count() const;
};

// The operator new calls made by every thread of the program since it started.
[[nodiscard]] long allocationCount();
} // namespace mivra::test
