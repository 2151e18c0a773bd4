#pragma once

#include <mivra/System/Time.hpp>

#include <chrono>

namespace mivra
{
/// Measures elapsed time on a monotonic clock.
class Clock
{
public:
    /// The time elapsed since construction or the last restart().
    [[nodiscard]] Time getElapsedTime() const;
    /// Returns the time elapsed since construction or the last restart, and starts again from zero.
    Time restart();

private:
    std::chrono::steady_clock::time_point m_start{std::chrono::steady_clock::now()};
};

/// Blocks the calling thread for the given time; a zero or negative time returns at once.
void sleep(Time duration);
} // namespace mivra
