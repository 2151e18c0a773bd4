#include "RawMouse.hpp"

#include <cmath>

namespace mivra::detail
{
Vector2i takeWholeUnits(double& remainderX, double& remainderY, double dx, double dy)
{
    remainderX += dx;
    remainderY += dy;
    const double wholeX = std::trunc(remainderX);
    const double wholeY = std::trunc(remainderY);
    remainderX -= wholeX;
    remainderY -= wholeY;
    return {static_cast<int>(wholeX), static_cast<int>(wholeY)};
}
} // namespace mivra::detail
