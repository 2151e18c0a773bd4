#include <mivra/Graphics/Transformable.hpp>

#include "Graphics/detail/WithinOneTurn.hpp"

#include <cmath>

namespace mivra
{
void Transformable::setPosition(Vector2f position)
{
    m_position = position;
    m_transformNeedUpdate = m_inverseNeedUpdate = true;
}

void Transformable::setRotation(Angle angle)
{
    m_rotation = detail::withinOneTurn(angle);
    m_transformNeedUpdate = m_inverseNeedUpdate = true;
}

void Transformable::setScale(Vector2f factors)
{
    m_scale = factors;
    m_transformNeedUpdate = m_inverseNeedUpdate = true;
}

void Transformable::setOrigin(Vector2f origin)
{
    m_origin = origin;
    m_transformNeedUpdate = m_inverseNeedUpdate = true;
}

const Transform& Transformable::getTransform() const
{
    if (m_transformNeedUpdate)
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
        m_transform = Transform(sxc, sys, tx, -sxs, syc, ty, 0.f, 0.f, 1.f);
        m_transformNeedUpdate = false;
    }
    return m_transform;
}

const Transform& Transformable::getInverseTransform() const
{
    if (m_inverseNeedUpdate)
    {
        m_inverseTransform = getTransform().getInverse();
        m_inverseNeedUpdate = false;
    }
    return m_inverseTransform;
}
} // namespace mivra
