#pragma once

#include <mivra/Graphics/Rect.hpp>
#include <mivra/System/Angle.hpp>
#include <mivra/System/Vector2.hpp>

#include <array>

namespace mivra
{
/// A 2-D affine transform, a 3x3 matrix kept as the 4x4 column-major matrix OpenGL loads.
///
/// Combining follows matrix products: a.combine(b) gives a transform that applies b first, then a.
/// So translate(p).rotate(r) rotates a point about the origin and then moves it by p.
class Transform
{
public:
    /// The identity.
    constexpr Transform() = default;
    /// The 3x3 matrix by rows.
    constexpr Transform(float a00, float a01, float a02, float a10, float a11, float a12, float a20, float a21,
                        float a22)
        : m_matrix{a00, a10, 0.f, a20, a01, a11, 0.f, a21, 0.f, 0.f, 1.f, 0.f, a02, a12, 0.f, a22}
    {
    }

    /// 16 floats, column-major.
    [[nodiscard]] constexpr const float* getMatrix() const { return m_matrix.data(); }

    /// The inverse, or the identity when the matrix cannot be inverted.
    [[nodiscard]] Transform getInverse() const;

    /// The point, transformed.
    [[nodiscard]] constexpr Vector2f transformPoint(Vector2f point) const
    {
        return {m_matrix[0] * point.x + m_matrix[4] * point.y + m_matrix[12],
                m_matrix[1] * point.x + m_matrix[5] * point.y + m_matrix[13]};
    }

    /// The axis-aligned bounding rectangle of the transformed rectangle.
    [[nodiscard]] FloatRect transformRect(const FloatRect& rectangle) const;

    /// Makes this transform this · other (other applies first); returns *this.
    Transform& combine(const Transform& other);
    /// Combines with a translation by `offset`; returns *this.
    Transform& translate(Vector2f offset);
    /// Combines with a rotation about the origin, clockwise on screen; returns *this.
    Transform& rotate(Angle angle);
    /// Combines with a rotation about `center`; returns *this.
    Transform& rotate(Angle angle, Vector2f center);
    /// Combines with a scaling about the origin; returns *this.
    Transform& scale(Vector2f factors);
    /// Combines with a scaling about `center`; returns *this.
    Transform& scale(Vector2f factors, Vector2f center);

    /// Whether this is exactly the identity.
    [[nodiscard]] bool isIdentity() const { return *this == Identity; }

    /// Exact equality of the matrices.
    friend constexpr bool operator==(const Transform&, const Transform&) = default;

    /// The transform that changes nothing.
    static const Transform Identity;

private:
    std::array<float, 16> m_matrix{1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 0.f, 1.f};
};

inline constexpr Transform Transform::Identity{};

/// left · right: right applies first.
[[nodiscard]] inline Transform operator*(Transform left, const Transform& right)
{
    return left.combine(right);
}
/// left = left · right.
inline Transform& operator*=(Transform& left, const Transform& right)
{
    return left.combine(right);
}
/// The point `right` transformed by `left`.
[[nodiscard]] constexpr Vector2f operator*(const Transform& left, Vector2f right)
{
    return left.transformPoint(right);
}
} // namespace mivra
