#pragma once

#include <mivra/Graphics/Shape.hpp>

namespace mivra
{
/// A regular polygon approximating a circle; its bounding box's top-left corner is the local origin,
/// so the centre is at (radius, radius).
class CircleShape : public Shape
{
public:
    explicit CircleShape(float radius = 0.f, std::size_t pointCount = 30);

    void setRadius(float radius);
    [[nodiscard]] float getRadius() const { return m_radius; }
    /// At least 3.
    void setPointCount(std::size_t count);

    [[nodiscard]] std::size_t getPointCount() const override { return m_pointCount; }
    [[nodiscard]] Vector2f getPoint(std::size_t index) const override;
    [[nodiscard]] Vector2f getGeometricCenter() const override { return {m_radius, m_radius}; }

private:
    float m_radius;
    std::size_t m_pointCount;
};
} // namespace mivra
