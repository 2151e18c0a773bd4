#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/Sprite.hpp>
#include <mivra/Graphics/Texture.hpp>

#include <cmath>

namespace mivra
{
Sprite::Sprite(const Texture& texture) : Sprite(texture, IntRect({0, 0}, Vector2i(texture.getSize())))
{
}

Sprite::Sprite(const Texture& texture, const IntRect& rectangle) : m_texture(&texture), m_textureRect(rectangle)
{
    updateVertices();
}

void Sprite::setTexture(const Texture& texture, bool resetRect)
{
    m_texture = &texture;
    if (resetRect)
        setTextureRect(IntRect({0, 0}, Vector2i(texture.getSize())));
}

void Sprite::setTextureRect(const IntRect& rectangle)
{
    if (rectangle != m_textureRect)
    {
        m_textureRect = rectangle;
        updateVertices();
    }
}

void Sprite::setColor(Color color)
{
    for (Vertex& v : m_vertices)
        v.color = color;
}

FloatRect Sprite::getLocalBounds() const
{
    return {{0.f, 0.f},
            {std::abs(static_cast<float>(m_textureRect.size.x)), std::abs(static_cast<float>(m_textureRect.size.y))}};
}

FloatRect Sprite::getGlobalBounds() const
{
    return getTransform().transformRect(getLocalBounds());
}

void Sprite::updateVertices()
{
    const FloatRect bounds = getLocalBounds();
    const FloatRect rect(m_textureRect);
    const float left = rect.position.x;
    const float right = left + rect.size.x;
    const float top = rect.position.y;
    const float bottom = top + rect.size.y;
    // A strip: top-left, bottom-left, top-right, bottom-right.
    m_vertices[0].position = {0.f, 0.f};
    m_vertices[1].position = {0.f, bounds.size.y};
    m_vertices[2].position = {bounds.size.x, 0.f};
    m_vertices[3].position = {bounds.size.x, bounds.size.y};
    m_vertices[0].texCoords = {left, top};
    m_vertices[1].texCoords = {left, bottom};
    m_vertices[2].texCoords = {right, top};
    m_vertices[3].texCoords = {right, bottom};
}

void Sprite::draw(RenderTarget& target, RenderStates states) const
{
    states.transform *= getTransform();
    states.texture = m_texture;
    target.draw(m_vertices.data(), m_vertices.size(), PrimitiveType::TriangleStrip, states);
}
} // namespace mivra
