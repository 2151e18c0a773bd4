#pragma once

#include <mivra/Graphics/Transform.hpp>
#include <mivra/Graphics/detail/TransformCache.hpp>

namespace mivra
{
/// Position, rotation, scale and origin of an object, combined into its transform.
///
/// The origin is the point, in local coordinates, that the position places and about which the
/// object rotates and scales. The transform, and its inverse, are computed when first read after a
/// change.
class Transformable
{
public:
    /// At the origin, unrotated, unscaled, with the origin (0, 0).
    Transformable() = default;
    virtual ~Transformable() = default;

    /// Places the origin at `position`.
    void setPosition(Vector2f position);
    /// Sets the rotation, clockwise on screen; kept within [0, 360) degrees.
    void setRotation(Angle angle);
    /// Sets the scale factors along the local x and y axes.
    void setScale(Vector2f factors);
    /// Sets the local point that the position places and that rotation and scale keep in place.
    void setOrigin(Vector2f origin);

    /// The position.
    [[nodiscard]] Vector2f getPosition() const { return m_position; }
    /// The rotation, always in [0, 360) degrees.
    [[nodiscard]] Angle getRotation() const { return m_rotation; }
    /// The scale factors.
    [[nodiscard]] Vector2f getScale() const { return m_scale; }
    /// The origin.
    [[nodiscard]] Vector2f getOrigin() const { return m_origin; }

    /// Moves the position by `offset`.
    void move(Vector2f offset) { setPosition(m_position + offset); }
    /// Adds `angle` to the rotation.
    void rotate(Angle angle) { setRotation(m_rotation + angle); }
    /// Multiplies the scale factors by `factors`.
    void scale(Vector2f factors) { setScale({m_scale.x * factors.x, m_scale.y * factors.y}); }

    /// Local coordinates to the parent's: translate(position) · rotate · scale · translate(-origin).
    [[nodiscard]] const Transform& getTransform() const;
    /// The parent's coordinates to local ones: the inverse of getTransform().
    [[nodiscard]] const Transform& getInverseTransform() const;

private:
    [[nodiscard]] Transform computeTransform() const;

    Vector2f m_origin{};
    Vector2f m_position{};
    Angle m_rotation{};
    Vector2f m_scale{1.f, 1.f};
    detail::TransformCache m_transforms;
};
} // namespace mivra
