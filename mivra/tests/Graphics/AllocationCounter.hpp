#pragma once

#include <cstddef>

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
} // namespace mivra::test
