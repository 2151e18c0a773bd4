#include <mivra/Graphics/Font.hpp>
#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/Text.hpp>
#include <mivra/Graphics/Texture.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace mivra
{
namespace
{
// Italic text is slanted by 12 degrees.
constexpr float ItalicShear = 0.209439510f;

// A horizontal bar (underline, strike-through) as two triangles, textured by the atlas's opaque
// corner.
void addLine(std::vector<Vertex>& vertices, float lineLength, float baseline, Color color, float offset,
             float thickness, float outlineThickness = 0.f)
{
    const float top = std::floor(baseline + offset - thickness / 2.f + 0.5f);
    const float bottom = top + std::floor(thickness + 0.5f);
    const float left = -outlineThickness;
    const float right = lineLength + outlineThickness;
    const Vector2f uv(1.f, 1.f);
    vertices.push_back({{left, top - outlineThickness}, color, uv});
    vertices.push_back({{right, top - outlineThickness}, color, uv});
    vertices.push_back({{left, bottom + outlineThickness}, color, uv});
    vertices.push_back({{left, bottom + outlineThickness}, color, uv});
    vertices.push_back({{right, top - outlineThickness}, color, uv});
    vertices.push_back({{right, bottom + outlineThickness}, color, uv});
}

void addGlyphQuad(std::vector<Vertex>& vertices, Vector2f position, Color color, const Glyph& glyph, float shear)
{
    const float left = glyph.bounds.position.x;
    const float top = glyph.bounds.position.y;
    const float right = left + glyph.bounds.size.x;
    const float bottom = top + glyph.bounds.size.y;
    const auto u1 = static_cast<float>(glyph.textureRect.position.x);
    const auto v1 = static_cast<float>(glyph.textureRect.position.y);
    const auto u2 = u1 + static_cast<float>(glyph.textureRect.size.x);
    const auto v2 = v1 + static_cast<float>(glyph.textureRect.size.y);
    const Vertex topLeft{{position.x + left - shear * top, position.y + top}, color, {u1, v1}};
    const Vertex topRight{{position.x + right - shear * top, position.y + top}, color, {u2, v1}};
    const Vertex bottomLeft{{position.x + left - shear * bottom, position.y + bottom}, color, {u1, v2}};
    const Vertex bottomRight{{position.x + right - shear * bottom, position.y + bottom}, color, {u2, v2}};
    vertices.push_back(topLeft);
    vertices.push_back(topRight);
    vertices.push_back(bottomLeft);
    vertices.push_back(bottomLeft);
    vertices.push_back(topRight);
    vertices.push_back(bottomRight);
}

bool isWhitespace(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\n';
}

// Sets a colour of the text; vertices already laid out take it at once, without a new layout.
void recolour(Color& current, Color color, std::vector<Vertex>& vertices, bool layoutPending)
{
    if (color == current)
        return;
    current = color;
    if (!layoutPending)
        for (Vertex& v : vertices)
            v.color = color;
}
} // namespace

Text::Text(const Font& font, String string, unsigned int characterSize)
    : m_string(std::move(string)), m_font(&font), m_characterSize(characterSize)
{
}

void Text::setString(const String& string)
{
    if (m_string != string)
    {
        m_string = string; // copy-assignment reuses the old capacity
        m_geometryNeedUpdate = true;
    }
}

void Text::setFont(const Font& font)
{
    if (m_font != &font)
    {
        m_font = &font;
        m_geometryNeedUpdate = true;
    }
}

void Text::setCharacterSize(unsigned int size)
{
    if (m_characterSize != size)
    {
        m_characterSize = size;
        m_geometryNeedUpdate = true;
    }
}

void Text::setLineSpacing(float spacingFactor)
{
    if (m_lineSpacingFactor != spacingFactor)
    {
        m_lineSpacingFactor = spacingFactor;
        m_geometryNeedUpdate = true;
    }
}

void Text::setLetterSpacing(float spacingFactor)
{
    if (m_letterSpacingFactor != spacingFactor)
    {
        m_letterSpacingFactor = spacingFactor;
        m_geometryNeedUpdate = true;
    }
}

void Text::setStyle(std::uint32_t style)
{
    if (m_style != style)
    {
        m_style = style;
        m_geometryNeedUpdate = true;
    }
}

void Text::setFillColor(Color color)
{
    recolour(m_fillColor, color, m_vertices, m_geometryNeedUpdate);
}

void Text::setOutlineColor(Color color)
{
    recolour(m_outlineColor, color, m_outlineVertices, m_geometryNeedUpdate);
}

void Text::setOutlineThickness(float thickness)
{
    if (m_outlineThickness != thickness)
    {
        m_outlineThickness = thickness;
        m_geometryNeedUpdate = true;
    }
}

Vector2f Text::findCharacterPos(std::size_t index) const
{
    index = std::min(index, m_string.getSize());
    const bool bold = (m_style & Bold) != 0;
    float whitespaceWidth = m_font->getGlyph(U' ', m_characterSize, bold).advance;
    const float letterSpacing = (whitespaceWidth / 3.f) * (m_letterSpacingFactor - 1.f);
    whitespaceWidth += letterSpacing;
    const float lineSpacing = m_font->getLineSpacing(m_characterSize) * m_lineSpacingFactor;

    Vector2f position;
    char32_t previous = 0;
    for (std::size_t i = 0; i < index; ++i)
    {
        const char32_t current = m_string[i];
        position.x += m_font->getKerning(previous, current, m_characterSize, bold);
        previous = current;
        switch (current)
        {
        case U' ': position.x += whitespaceWidth; continue;
        case U'\t': position.x += whitespaceWidth * 4; continue;
        case U'\n':
            position.y += lineSpacing;
            position.x = 0;
            continue;
        default: break;
        }
        position.x += m_font->getGlyph(current, m_characterSize, bold).advance + letterSpacing;
    }
    return getTransform().transformPoint(position);
}

FloatRect Text::getLocalBounds() const
{
    ensureGeometryUpdate();
    return m_bounds;
}

FloatRect Text::getGlobalBounds() const
{
    return getTransform().transformRect(getLocalBounds());
}

unsigned int Text::glyphSize() const
{
    return static_cast<unsigned int>(std::lround(static_cast<float>(m_characterSize) * m_pixelRatio));
}

void Text::draw(RenderTarget& target, RenderStates states) const
{
    const float pixelRatio = target.getPixelRatio();
    if (pixelRatio != m_pixelRatio)
    {
        m_pixelRatio = pixelRatio;
        m_geometryNeedUpdate = true;
    }
    ensureGeometryUpdate();
    if (m_vertices.empty())
        return;
    states.transform *= getTransform();
    // Asked after the geometry so that glyphs just rendered are uploaded.
    states.texture = &m_font->getTexture(glyphSize());
    if (m_outlineThickness != 0.f && !m_outlineVertices.empty())
        target.draw(m_outlineVertices.data(), m_outlineVertices.size(), PrimitiveType::Triangles, states);
    target.draw(m_vertices.data(), m_vertices.size(), PrimitiveType::Triangles, states);
}

void Text::ensureGeometryUpdate() const
{
    if (!m_geometryNeedUpdate)
        return;
    m_geometryNeedUpdate = false;
    m_vertices.clear();
    m_outlineVertices.clear();
    m_bounds = FloatRect();
    if (m_string.isEmpty() || !m_font)
        return;

    // Laid out in physical pixels, at the size the glyphs are rendered, then brought back to
    // logical units at the end.
    const Font& font = *m_font;
    const unsigned int size = glyphSize();
    const float scale = m_characterSize > 0 && size > 0 ? static_cast<float>(size) / static_cast<float>(m_characterSize)
                                                        : 1.f;
    const float outlineThickness = m_outlineThickness * scale;
    const bool bold = (m_style & Bold) != 0;
    const bool underlined = (m_style & Underlined) != 0;
    const bool strikeThrough = (m_style & StrikeThrough) != 0;
    const float shear = (m_style & Italic) ? ItalicShear : 0.f;
    const float underlineOffset = font.getUnderlinePosition(size);
    const float underlineThickness = font.getUnderlineThickness(size);
    const FloatRect xBounds = font.getGlyph(U'x', size, bold).bounds;
    const float strikeThroughOffset = xBounds.position.y + xBounds.size.y / 2.f;

    float whitespaceWidth = font.getGlyph(U' ', size, bold).advance;
    const float letterSpacing = (whitespaceWidth / 3.f) * (m_letterSpacingFactor - 1.f);
    whitespaceWidth += letterSpacing;
    // Lines stay as far apart as at scale 1 (a program may space them to match its layout); only
    // the glyphs along them come from the larger size.
    const float lineSpacing = font.getLineSpacing(m_characterSize) * m_lineSpacingFactor * scale;

    float x = 0.f;
    auto y = static_cast<float>(size);
    float minX = std::numeric_limits<float>::max();
    float minY = std::numeric_limits<float>::max();
    float maxX = std::numeric_limits<float>::lowest();
    float maxY = std::numeric_limits<float>::lowest();
    const bool outlined = outlineThickness != 0.f;

    auto addDecorations = [&](float lineLength) {
        if (underlined)
        {
            addLine(m_vertices, lineLength, y, m_fillColor, underlineOffset, underlineThickness);
            if (outlined)
                addLine(m_outlineVertices, lineLength, y, m_outlineColor, underlineOffset, underlineThickness,
                        outlineThickness);
        }
        if (strikeThrough)
        {
            addLine(m_vertices, lineLength, y, m_fillColor, strikeThroughOffset, underlineThickness);
            if (outlined)
                addLine(m_outlineVertices, lineLength, y, m_outlineColor, strikeThroughOffset, underlineThickness,
                        outlineThickness);
        }
    };

    char32_t previous = 0;
    for (const char32_t current : m_string)
    {
        if (current == U'\r')
            continue;
        x += font.getKerning(previous, current, size, bold);
        if (current == U'\n' && previous != U'\n' && x > 0.f)
            addDecorations(x);
        previous = current;

        if (isWhitespace(current))
        {
            minX = std::min(minX, x);
            minY = std::min(minY, y);
            if (current == U' ')
                x += whitespaceWidth;
            else if (current == U'\t')
                x += whitespaceWidth * 4;
            else
            {
                y += lineSpacing;
                x = 0.f;
            }
            maxX = std::max(maxX, x);
            maxY = std::max(maxY, y);
            continue;
        }

        if (outlined)
            addGlyphQuad(m_outlineVertices, {x, y}, m_outlineColor,
                         font.getGlyph(current, size, bold, outlineThickness), shear);
        const Glyph& glyph = font.getGlyph(current, size, bold);
        addGlyphQuad(m_vertices, {x, y}, m_fillColor, glyph, shear);

        const float left = glyph.bounds.position.x;
        const float top = glyph.bounds.position.y;
        const float right = left + glyph.bounds.size.x;
        const float bottom = top + glyph.bounds.size.y;
        minX = std::min(minX, x + left - shear * bottom);
        maxX = std::max(maxX, x + right - shear * top);
        minY = std::min(minY, y + top);
        maxY = std::max(maxY, y + bottom);
        x += glyph.advance + letterSpacing;
    }

    if (x > 0.f)
        addDecorations(x);

    if (minX > maxX) // nothing but carriage returns
        return;
    if (outlined)
    {
        const float grow = std::abs(std::ceil(outlineThickness));
        minX -= grow;
        maxX += grow;
        minY -= grow;
        maxY += grow;
    }
    m_bounds = FloatRect({minX / scale, minY / scale}, {(maxX - minX) / scale, (maxY - minY) / scale});
    if (scale != 1.f)
    {
        for (Vertex& vertex : m_vertices)
            vertex.position /= scale;
        for (Vertex& vertex : m_outlineVertices)
            vertex.position /= scale;
    }
}
} // namespace mivra
