#pragma once

#include <mivra/Graphics/Shape.hpp>

namespace mivra
{
/// An axis-aligned rectangle with its top-left corner at the local origin.
class RectangleShape : public Shape
{
public:
    /// A rectangle of that size.
    explicit RectangleShape(Vector2f size = {});

    /// Resizes the rectangle.
    void setSize(Vector2f size);
    /// The size.
    [[nodiscard]] Vector2f getSize() const { return m_size; }

    [[nodiscard]] std::size_t getPointCount() const override { return 4; }
    [[nodiscard]] Vector2f getPoint(std::size_t index) const override;
    [[nodiscard]] Vector2f getGeometricCenter() const override { return m_size / 2.f; }

private:
    Vector2f m_size;
};
} // namespace mivra
