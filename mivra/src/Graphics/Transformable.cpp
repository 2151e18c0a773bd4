#include <mivra/Graphics/Transformable.hpp>

#include "Graphics/detail/WithinOneTurn.hpp"

#include <cmath>

namespace mivra
{
void Transformable::setPosition(Vector2f position)
{
    m_position = position;
    m_transforms.invalidate();
}

void Transformable::setRotation(Angle angle)
{
    m_rotation = detail::withinOneTurn(angle);
    m_transforms.invalidate();
}

void Transformable::setScale(Vector2f factors)
{
    m_scale = factors;
    m_transforms.invalidate();
}

void Transformable::setOrigin(Vector2f origin)
{
    m_origin = origin;
    m_transforms.invalidate();
}

Transform Transformable::computeTransform() const
{
    // position * rotation * scale * translate(-origin), folded into one matrix.
    const float angle = -m_rotation.asRadians();
    const float cosine = std::cos(angle);
    const float sine = std::sin(angle);
    const float sxc = m_scale.x * cosine;
    const float syc = m_scale.y * cosine;
    const float sxs = m_scale.x * sine;
    const float sys = m_scale.y * sine;
    const float tx = -m_origin.x * sxc - m_origin.y * sys + m_position.x;
    const float ty = m_origin.x * sxs - m_origin.y * syc + m_position.y;
    return Transform(sxc, sys, tx, -sxs, syc, ty, 0.f, 0.f, 1.f);
}

const Transform& Transformable::getTransform() const
{
    return m_transforms.get([this] { return computeTransform(); });
}

const Transform& Transformable::getInverseTransform() const
{
    return m_transforms.getInverse([this] { return computeTransform(); });
}
} // namespace mivra
