#pragma once

#include <mivra/Graphics/Rect.hpp>
#include <mivra/Graphics/Transform.hpp>
#include <mivra/Graphics/detail/TransformCache.hpp>

namespace mivra
{
/// A 2-D camera: the region of the world (centre, size, rotation) shown in a render target, and the
/// part of the target (viewport, as fractions of its size) where it is shown.
class View
{
public:
    View() : View(FloatRect({0.f, 0.f}, {1000.f, 1000.f})) {}
    explicit View(const FloatRect& rectangle);
    View(Vector2f center, Vector2f size);

    void setCenter(Vector2f center);
    void setSize(Vector2f size);
    void setRotation(Angle angle);
    void setViewport(const FloatRect& viewport) { m_viewport = viewport; }
    void reset(const FloatRect& rectangle);

    [[nodiscard]] Vector2f getCenter() const { return m_center; }
    [[nodiscard]] Vector2f getSize() const { return m_size; }
    [[nodiscard]] Angle getRotation() const { return m_rotation; }
    [[nodiscard]] const FloatRect& getViewport() const { return m_viewport; }

    void move(Vector2f offset) { setCenter(m_center + offset); }
    void rotate(Angle angle) { setRotation(m_rotation + angle); }
    void zoom(float factor) { setSize(m_size * factor); }

    /// World coordinates to normalised device coordinates ([-1, 1], y up), and back.
    [[nodiscard]] const Transform& getTransform() const;
    [[nodiscard]] const Transform& getInverseTransform() const;

private:
    [[nodiscard]] Transform computeTransform() const;

    Vector2f m_center;
    Vector2f m_size;
    Angle m_rotation;
    FloatRect m_viewport{{0.f, 0.f}, {1.f, 1.f}};
    detail::TransformCache m_transforms;
};
} // namespace mivra
