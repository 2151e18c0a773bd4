#include <mivra/Graphics/Transform.hpp>

#include <algorithm>
#include <cmath>

namespace mivra
{
Transform Transform::getInverse() const
{
    const float* m = m_matrix.data();
    // The 3x3 matrix is (m0 m4 m12 / m1 m5 m13 / m3 m7 m15).
    const float det = m[0] * (m[15] * m[5] - m[7] * m[13]) - m[1] * (m[15] * m[4] - m[7] * m[12]) +
                      m[3] * (m[13] * m[4] - m[5] * m[12]);
    if (det == 0.f)
        return Identity;
    return {(m[15] * m[5] - m[7] * m[13]) / det, -(m[15] * m[4] - m[7] * m[12]) / det,
            (m[13] * m[4] - m[5] * m[12]) / det, -(m[15] * m[1] - m[3] * m[13]) / det,
            (m[15] * m[0] - m[3] * m[12]) / det, -(m[13] * m[0] - m[1] * m[12]) / det,
            (m[7] * m[1] - m[3] * m[5]) / det,   -(m[7] * m[0] - m[3] * m[4]) / det,
            (m[5] * m[0] - m[1] * m[4]) / det};
}

FloatRect Transform::transformRect(const FloatRect& rectangle) const
{
    const Vector2f corners[4] = {transformPoint(rectangle.position),
                                 transformPoint({rectangle.position.x, rectangle.position.y + rectangle.size.y}),
                                 transformPoint({rectangle.position.x + rectangle.size.x, rectangle.position.y}),
                                 transformPoint(rectangle.position + rectangle.size)};
    float left = corners[0].x;
    float top = corners[0].y;
    float right = corners[0].x;
    float bottom = corners[0].y;
    for (const Vector2f& c : corners)
    {
        left = std::min(left, c.x);
        top = std::min(top, c.y);
        right = std::max(right, c.x);
        bottom = std::max(bottom, c.y);
    }
    return {{left, top}, {right - left, bottom - top}};
}

Transform& Transform::combine(const Transform& other)
{
    const float* a = m_matrix.data();
    const float* b = other.m_matrix.data();
    *this = Transform(a[0] * b[0] + a[4] * b[1] + a[12] * b[3], a[0] * b[4] + a[4] * b[5] + a[12] * b[7],
                      a[0] * b[12] + a[4] * b[13] + a[12] * b[15], a[1] * b[0] + a[5] * b[1] + a[13] * b[3],
                      a[1] * b[4] + a[5] * b[5] + a[13] * b[7], a[1] * b[12] + a[5] * b[13] + a[13] * b[15],
                      a[3] * b[0] + a[7] * b[1] + a[15] * b[3], a[3] * b[4] + a[7] * b[5] + a[15] * b[7],
                      a[3] * b[12] + a[7] * b[13] + a[15] * b[15]);
    return *this;
}

Transform& Transform::translate(Vector2f offset)
{
    return combine(Transform(1.f, 0.f, offset.x, 0.f, 1.f, offset.y, 0.f, 0.f, 1.f));
}

Transform& Transform::rotate(Angle angle)
{
    const float rad = angle.asRadians();
    const float cosine = std::cos(rad);
    const float sine = std::sin(rad);
    return combine(Transform(cosine, -sine, 0.f, sine, cosine, 0.f, 0.f, 0.f, 1.f));
}

Transform& Transform::rotate(Angle angle, Vector2f center)
{
    const float rad = angle.asRadians();
    const float cosine = std::cos(rad);
    const float sine = std::sin(rad);
    return combine(Transform(cosine, -sine, center.x * (1 - cosine) + center.y * sine, sine, cosine,
                             center.y * (1 - cosine) - center.x * sine, 0.f, 0.f, 1.f));
}

Transform& Transform::scale(Vector2f factors)
{
    return combine(Transform(factors.x, 0.f, 0.f, 0.f, factors.y, 0.f, 0.f, 0.f, 1.f));
}

Transform& Transform::scale(Vector2f factors, Vector2f center)
{
    return combine(Transform(factors.x, 0.f, center.x * (1 - factors.x), 0.f, factors.y, center.y * (1 - factors.y),
                             0.f, 0.f, 1.f));
}
} // namespace mivra
