#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace mivra::detail
{
// A float sample in [-1, 1] to 16 bits, clipped and rounded to nearest (ties to even, as
// nearbyint). Adding 1.5 * 2^23 leaves the rounded integer in the low mantissa bits: no library
// call, so the loops over it vectorise.
inline std::int16_t toSample(float value)
{
    const float clipped = std::min(std::max(value * 32768.f, -32768.f), 32767.f) + 12582912.f;
    std::int32_t bits = 0;
    std::memcpy(&bits, &clipped, sizeof bits);
    return static_cast<std::int16_t>(bits - 0x4B400000);
}
} // namespace mivra::detail
