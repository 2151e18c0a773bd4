#pragma once

#include <mivra/System/Vector2.hpp>

#include <vector>

namespace mivra::detail
{
// Unaccelerated motion of the mouse device, read apart from the toolkit's pointer events so that
// the pointer is neither grabbed nor hidden. One implementation per display server.
class RawMouse
{
public:
    virtual ~RawMouse() = default;

    // Appends one delta per pending raw motion event, without blocking. Fractions are carried
    // over to later events; events that move less than one unit in total give nothing.
    virtual void read(std::vector<Vector2i>& deltas) = 0;
};

// The integer part of the accumulated motion; the fraction stays in the remainder.
Vector2i takeWholeUnits(double& remainderX, double& remainderY, double dx, double dy);
} // namespace mivra::detail
