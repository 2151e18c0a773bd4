#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/VertexArray.hpp>

#include <algorithm>
#include <cassert>

namespace mivra
{
Vertex& VertexArray::operator[](std::size_t index)
{
    assert(index < m_vertices.size() && "VertexArray::operator[]: index out of range");
    return m_vertices[index];
}

const Vertex& VertexArray::operator[](std::size_t index) const
{
    assert(index < m_vertices.size() && "VertexArray::operator[]: index out of range");
    return m_vertices[index];
}

FloatRect VertexArray::getBounds() const
{
    if (m_vertices.empty())
        return {};
    float left = m_vertices[0].position.x;
    float top = m_vertices[0].position.y;
    float right = left;
    float bottom = top;
    for (const Vertex& v : m_vertices)
    {
        left = std::min(left, v.position.x);
        right = std::max(right, v.position.x);
        top = std::min(top, v.position.y);
        bottom = std::max(bottom, v.position.y);
    }
    return {{left, top}, {right - left, bottom - top}};
}

void VertexArray::draw(RenderTarget& target, RenderStates states) const
{
    if (!m_vertices.empty())
        target.draw(m_vertices.data(), m_vertices.size(), m_primitiveType, states);
}
} // namespace mivra
