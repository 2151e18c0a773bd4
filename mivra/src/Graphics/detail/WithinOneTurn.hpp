#pragma once

#include <mivra/System/Angle.hpp>

#include <cmath>

namespace mivra::detail
{
// The same angle in [0, 360) degrees, the range the rotation getters promise.
inline Angle withinOneTurn(Angle angle)
{
    float deg = std::fmod(angle.asDegrees(), 360.f);
    if (deg < 0.f)
        deg += 360.f;
    if (deg >= 360.f) // fmod of a tiny negative angle plus 360 rounds up to 360
        deg = 0.f;
    return degrees(deg);
}
} // namespace mivra::detail
