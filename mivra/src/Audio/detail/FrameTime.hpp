#pragma once

#include <algorithm>
#include <cstdint>

namespace mivra::detail
{
// Conversions between times and frame positions that cannot overflow for any time and any
// supported rate: whole seconds and the rest are scaled apart.

// The frame at `microseconds` (negative times are the start).
inline std::uint64_t frameAt(std::int64_t microseconds, unsigned int sampleRate)
{
    const auto us = static_cast<std::uint64_t>(std::max<std::int64_t>(0, microseconds));
    return us / 1'000'000 * sampleRate + us % 1'000'000 * sampleRate / 1'000'000;
}

// The time of `frame` in microseconds, saturated at the largest time.
inline std::int64_t microsecondsAt(std::uint64_t frame, unsigned int sampleRate)
{
    if (sampleRate == 0)
        return 0;
    const std::uint64_t seconds = frame / sampleRate;
    constexpr std::uint64_t limit = static_cast<std::uint64_t>(INT64_MAX) / 1'000'000 - 1;
    if (seconds > limit)
        return INT64_MAX;
    return static_cast<std::int64_t>(seconds * 1'000'000 + frame % sampleRate * 1'000'000 / sampleRate);
}
} // namespace mivra::detail
