#include <mivra/Graphics/CircleShape.hpp>

#include <cmath>

namespace mivra
{
CircleShape::CircleShape(float radius, std::size_t pointCount)
    : m_radius(radius), m_pointCount(pointCount < 3 ? 3 : pointCount)
{
    update();
}

void CircleShape::setRadius(float radius)
{
    m_radius = radius;
    update();
}

void CircleShape::setPointCount(std::size_t count)
{
    m_pointCount = count < 3 ? 3 : count;
    update();
}

Vector2f CircleShape::getPoint(std::size_t index) const
{
    // Point 0 at the top, going clockwise on screen.
    const float angle = static_cast<float>(index) * 2.f * Angle::Pi / static_cast<float>(m_pointCount) -
                        Angle::Pi / 2.f;
    return {m_radius + m_radius * std::cos(angle), m_radius + m_radius * std::sin(angle)};
}
} // namespace mivra
