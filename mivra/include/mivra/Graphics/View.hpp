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
    /// Shows the rectangle (0, 0)-(1000, 1000) over the whole target.
    View() : View(FloatRect({0.f, 0.f}, {1000.f, 1000.f})) {}
    /// Shows `rectangle` of the world, unrotated, over the whole target.
    explicit View(const FloatRect& rectangle);
    /// Shows the region of that centre and size, unrotated, over the whole target.
    View(Vector2f center, Vector2f size);

    /// Moves the centre of the region shown.
    void setCenter(Vector2f center);
    /// Sets the size of the region shown, in world units.
    void setSize(Vector2f size);
    /// Turns the camera clockwise (the world turns the other way on screen); kept within [0, 360) degrees.
    void setRotation(Angle angle);
    /// Sets the part of the target shown in, as fractions of its size ((0, 0, 1, 1) is the whole target).
    void setViewport(const FloatRect& viewport) { m_viewport = viewport; }
    /// Shows `rectangle`, unrotated; the viewport stays.
    void reset(const FloatRect& rectangle);

    /// The centre of the region shown.
    [[nodiscard]] Vector2f getCenter() const { return m_center; }
    /// The size of the region shown.
    [[nodiscard]] Vector2f getSize() const { return m_size; }
    /// The rotation, in [0, 360) degrees.
    [[nodiscard]] Angle getRotation() const { return m_rotation; }
    /// The viewport, as fractions of the target's size.
    [[nodiscard]] const FloatRect& getViewport() const { return m_viewport; }

    /// Moves the centre by `offset`.
    void move(Vector2f offset) { setCenter(m_center + offset); }
    /// Adds `angle` to the rotation.
    void rotate(Angle angle) { setRotation(m_rotation + angle); }
    /// Multiplies the size by `factor`: above 1 shows more of the world, below 1 less.
    void zoom(float factor) { setSize(m_size * factor); }

    /// World coordinates to normalised device coordinates ([-1, 1], y up), and back.
    ///@{
    [[nodiscard]] const Transform& getTransform() const;
    [[nodiscard]] const Transform& getInverseTransform() const;
    ///@}

private:
    [[nodiscard]] Transform computeTransform() const;

    Vector2f m_center;
    Vector2f m_size;
    Angle m_rotation;
    FloatRect m_viewport{{0.f, 0.f}, {1.f, 1.f}};
    detail::TransformCache m_transforms;
};
} // namespace mivra
