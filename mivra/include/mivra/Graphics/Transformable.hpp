#pragma once

#include <mivra/Graphics/Transform.hpp>
#include <mivra/Graphics/detail/TransformCache.hpp>

namespace mivra
{
/// Position, rotation, scale and origin of an object, combined into its transform.
/// The origin is the point, in local coordinates, that the position places and about which the
/// object rotates and scales.
class Transformable
{
public:
    Transformable() = default;
    virtual ~Transformable() = default;

    void setPosition(Vector2f position);
    void setRotation(Angle angle);
    void setScale(Vector2f factors);
    void setOrigin(Vector2f origin);

    [[nodiscard]] Vector2f getPosition() const { return m_position; }
    /// Always in [0, 360) degrees.
    [[nodiscard]] Angle getRotation() const { return m_rotation; }
    [[nodiscard]] Vector2f getScale() const { return m_scale; }
    [[nodiscard]] Vector2f getOrigin() const { return m_origin; }

    void move(Vector2f offset) { setPosition(m_position + offset); }
    void rotate(Angle angle) { setRotation(m_rotation + angle); }
    void scale(Vector2f factors) { setScale({m_scale.x * factors.x, m_scale.y * factors.y}); }

    [[nodiscard]] const Transform& getTransform() const;
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
