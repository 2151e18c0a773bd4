#pragma once

#include <mivra/Graphics/Shape.hpp>

namespace mivra
{
/// A regular polygon approximating a circle; its bounding box's top-left corner is the local origin,
/// so the centre is at (radius, radius).
class CircleShape : public Shape
{
public:
    /// A circle of that radius, approximated by `pointCount` points.
    explicit CircleShape(float radius = 0.f, std::size_t pointCount = 30);

    /// Changes the radius; the centre moves to (radius, radius).
    void setRadius(float radius);
    /// The radius.
    [[nodiscard]] float getRadius() const { return m_radius; }
    /// The number of points approximating the circle; at least 3.
    void setPointCount(std::size_t count);

    [[nodiscard]] std::size_t getPointCount() const override { return m_pointCount; }
    [[nodiscard]] Vector2f getPoint(std::size_t index) const override;
    [[nodiscard]] Vector2f getGeometricCenter() const override { return {m_radius, m_radius}; }

private:
    float m_radius;
    std::size_t m_pointCount;
};
} // namespace mivra
