#include <mivra/Graphics/View.hpp>

#include "Graphics/detail/WithinOneTurn.hpp"

#include <cmath>

namespace mivra
{
View::View(const FloatRect& rectangle)
{
    reset(rectangle);
}

View::View(Vector2f center, Vector2f size) : m_center(center), m_size(size)
{
}

void View::setCenter(Vector2f center)
{
    m_center = center;
    m_transforms.invalidate();
}

void View::setSize(Vector2f size)
{
    m_size = size;
    m_transforms.invalidate();
}

void View::setRotation(Angle angle)
{
    m_rotation = detail::withinOneTurn(angle);
    m_transforms.invalidate();
}

void View::reset(const FloatRect& rectangle)
{
    m_center = rectangle.getCenter();
    m_size = rectangle.size;
    m_rotation = Angle::Zero;
    m_transforms.invalidate();
}

Transform View::computeTransform() const
{
    const float angle = m_rotation.asRadians();
    const float cosine = std::cos(angle);
    const float sine = std::sin(angle);
    const float tx = -m_center.x * cosine - m_center.y * sine + m_center.x;
    const float ty = m_center.x * sine - m_center.y * cosine + m_center.y;
    // Scale to [-1, 1] with y pointing up.
    const float a = 2.f / m_size.x;
    const float b = -2.f / m_size.y;
    const float c = -a * m_center.x;
    const float d = -b * m_center.y;
    return Transform(a * cosine, a * sine, a * tx + c, -b * sine, b * cosine, b * ty + d, 0.f, 0.f, 1.f);
}

const Transform& View::getTransform() const
{
    return m_transforms.get([this] { return computeTransform(); });
}

const Transform& View::getInverseTransform() const
{
    return m_transforms.getInverse([this] { return computeTransform(); });
}
} // namespace mivra
