#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/Shape.hpp>
#include <mivra/Graphics/Texture.hpp>

#include <algorithm>
#include <cmath>

namespace mivra
{
namespace
{
Vector2f unitNormal(Vector2f p1, Vector2f p2)
{
    Vector2f normal(p1.y - p2.y, p2.x - p1.x);
    const float length = std::sqrt(normal.x * normal.x + normal.y * normal.y);
    if (length != 0.f)
        normal /= length;
    return normal;
}

float dot(Vector2f a, Vector2f b)
{
    return a.x * b.x + a.y * b.y;
}

FloatRect boundsOf(const Vertex* begin, const Vertex* end)
{
    if (begin == end)
        return {};
    float left = begin->position.x;
    float top = begin->position.y;
    float right = left;
    float bottom = top;
    for (const Vertex* v = begin; v != end; ++v)
    {
        left = std::min(left, v->position.x);
        right = std::max(right, v->position.x);
        top = std::min(top, v->position.y);
        bottom = std::max(bottom, v->position.y);
    }
    return {{left, top}, {right - left, bottom - top}};
}
} // namespace

void Shape::setTexture(const Texture* texture, bool resetRect)
{
    if (texture && (resetRect || (!m_texture && m_textureRect == IntRect())))
        setTextureRect(IntRect({0, 0}, Vector2i(texture->getSize())));
    m_texture = texture;
}

void Shape::setTextureRect(const IntRect& rect)
{
    m_textureRect = rect;
    updateTexCoords();
}

void Shape::setFillColor(Color color)
{
    m_fillColor = color;
    updateFillColors();
}

void Shape::setOutlineColor(Color color)
{
    m_outlineColor = color;
    updateOutlineColors();
}

void Shape::setOutlineThickness(float thickness)
{
    m_outlineThickness = thickness;
    update();
}

Vector2f Shape::getGeometricCenter() const
{
    const std::size_t count = getPointCount();
    Vector2f sum;
    for (std::size_t i = 0; i < count; ++i)
        sum += getPoint(i);
    return count ? sum / static_cast<float>(count) : sum;
}

FloatRect Shape::getGlobalBounds() const
{
    return getTransform().transformRect(getLocalBounds());
}

void Shape::update()
{
    const std::size_t count = getPointCount();
    if (count < 3)
    {
        m_vertices.clear();
        m_outlineVertices.clear();
        m_insideBounds = m_bounds = FloatRect();
        return;
    }

    // A fan around the centre, closed by repeating the first point.
    m_vertices.resize(count + 2);
    m_vertices[0].position = getGeometricCenter();
    for (std::size_t i = 0; i < count; ++i)
        m_vertices[i + 1].position = getPoint(i);
    m_vertices[count + 1].position = m_vertices[1].position;
    m_insideBounds = boundsOf(m_vertices.data() + 1, m_vertices.data() + m_vertices.size());

    updateFillColors();
    updateTexCoords();
    updateOutline();
}

void Shape::updateFillColors()
{
    for (Vertex& v : m_vertices)
        v.color = m_fillColor;
}

void Shape::updateTexCoords()
{
    const FloatRect rect(m_textureRect);
    for (Vertex& v : m_vertices)
    {
        const float xRatio =
            m_insideBounds.size.x > 0 ? (v.position.x - m_insideBounds.position.x) / m_insideBounds.size.x : 0.f;
        const float yRatio =
            m_insideBounds.size.y > 0 ? (v.position.y - m_insideBounds.position.y) / m_insideBounds.size.y : 0.f;
        v.texCoords = {rect.position.x + rect.size.x * xRatio, rect.position.y + rect.size.y * yRatio};
    }
}

void Shape::updateOutline()
{
    if (m_outlineThickness == 0.f || m_vertices.size() < 5)
    {
        m_outlineVertices.clear();
        m_bounds = m_insideBounds;
        return;
    }

    const std::size_t count = m_vertices.size() - 2;
    m_outlineVertices.resize((count + 1) * 2);
    const Vector2f center = m_vertices[0].position;
    for (std::size_t i = 0; i < count; ++i)
    {
        const std::size_t index = i + 1;
        const Vector2f p0 = (i == 0) ? m_vertices[count].position : m_vertices[index - 1].position;
        const Vector2f p1 = m_vertices[index].position;
        const Vector2f p2 = m_vertices[index + 1].position;

        // The normals of the two edges meeting at p1, turned to point away from the centre.
        Vector2f n1 = unitNormal(p0, p1);
        Vector2f n2 = unitNormal(p1, p2);
        if (dot(n1, center - p1) > 0)
            n1 = -n1;
        if (dot(n2, center - p1) > 0)
            n2 = -n2;

        // Offsetting along this vector keeps both edges at the thickness's distance.
        const float factor = 1.f + dot(n1, n2);
        const Vector2f normal = factor != 0.f ? (n1 + n2) / factor : n1;
        m_outlineVertices[i * 2].position = p1;
        m_outlineVertices[i * 2 + 1].position = p1 + normal * m_outlineThickness;
    }
    m_outlineVertices[count * 2].position = m_outlineVertices[0].position;
    m_outlineVertices[count * 2 + 1].position = m_outlineVertices[1].position;

    updateOutlineColors();
    const FloatRect outer = boundsOf(m_outlineVertices.data(), m_outlineVertices.data() + m_outlineVertices.size());
    const float left = std::min(outer.position.x, m_insideBounds.position.x);
    const float top = std::min(outer.position.y, m_insideBounds.position.y);
    const float right = std::max(outer.position.x + outer.size.x, m_insideBounds.position.x + m_insideBounds.size.x);
    const float bottom = std::max(outer.position.y + outer.size.y, m_insideBounds.position.y + m_insideBounds.size.y);
    m_bounds = FloatRect({left, top}, {right - left, bottom - top});
}

void Shape::updateOutlineColors()
{
    for (Vertex& v : m_outlineVertices)
        v.color = m_outlineColor;
}

void Shape::draw(RenderTarget& target, RenderStates states) const
{
    states.transform *= getTransform();
    if (!m_texture && m_vertices.size() >= 5)
    {
        // One colour over a convex polygon: a fan from its first point covers the same pixels,
        // each once, as the fan around the centre, with two triangles fewer to rasterise.
        states.texture = nullptr;
        target.draw(m_vertices.data() + 1, m_vertices.size() - 2, PrimitiveType::TriangleFan, states);
    }
    else if (!m_vertices.empty())
    {
        states.texture = m_texture;
        target.draw(m_vertices.data(), m_vertices.size(), PrimitiveType::TriangleFan, states);
    }
    if (!m_outlineVertices.empty())
    {
        states.texture = nullptr;
        target.draw(m_outlineVertices.data(), m_outlineVertices.size(), PrimitiveType::TriangleStrip, states);
    }
}
} // namespace mivra
