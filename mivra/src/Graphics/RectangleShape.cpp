#include <mivra/Graphics/RectangleShape.hpp>

namespace mivra
{
RectangleShape::RectangleShape(Vector2f size)
{
    setSize(size);
}

void RectangleShape::setSize(Vector2f size)
{
    m_size = size;
    update();
}

Vector2f RectangleShape::getPoint(std::size_t index) const
{
    switch (index)
    {
    default:
    case 0: return {0.f, 0.f};
    case 1: return {m_size.x, 0.f};
    case 2: return {m_size.x, m_size.y};
    case 3: return {0.f, m_size.y};
    }
}
} // namespace mivra
