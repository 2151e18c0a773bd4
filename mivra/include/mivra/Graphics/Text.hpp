#pragma once

#include <mivra/Graphics/Color.hpp>
#include <mivra/Graphics/Drawable.hpp>
#include <mivra/Graphics/Rect.hpp>
#include <mivra/Graphics/Transformable.hpp>
#include <mivra/Graphics/Vertex.hpp>
#include <mivra/System/String.hpp>

#include <cstdint>
#include <vector>

namespace mivra
{
class Font;

/// A string drawn with a font. The first line's baseline lies characterSize pixels below the
/// position; lines are getLineSpacing(size) * lineSpacing apart.
///
/// The geometry is rebuilt lazily, into buffers that keep their capacity, from glyphs the font
/// caches: changing the string to one of the same length and redrawing allocates nothing.
class Text : public Drawable, public Transformable
{
public:
    enum Style : std::uint32_t
    {
        Regular = 0,
        Bold = 1 << 0,
        Italic = 1 << 1,
        Underlined = 1 << 2,
        StrikeThrough = 1 << 3
    };

    /// The font must outlive the text.
    Text(const Font& font, String string = {}, unsigned int characterSize = 30);
    Text(const Font&& font, String string = {}, unsigned int characterSize = 30) = delete;

    void setString(const String& string);
    void setFont(const Font& font);
    void setFont(const Font&& font) = delete;
    void setCharacterSize(unsigned int size);
    void setLineSpacing(float spacingFactor);
    void setLetterSpacing(float spacingFactor);
    void setStyle(std::uint32_t style);
    void setFillColor(Color color);
    void setOutlineColor(Color color);
    void setOutlineThickness(float thickness);

    [[nodiscard]] const String& getString() const { return m_string; }
    [[nodiscard]] const Font& getFont() const { return *m_font; }
    [[nodiscard]] unsigned int getCharacterSize() const { return m_characterSize; }
    [[nodiscard]] float getLetterSpacing() const { return m_letterSpacingFactor; }
    [[nodiscard]] float getLineSpacing() const { return m_lineSpacingFactor; }
    [[nodiscard]] std::uint32_t getStyle() const { return m_style; }
    [[nodiscard]] Color getFillColor() const { return m_fillColor; }
    [[nodiscard]] Color getOutlineColor() const { return m_outlineColor; }
    [[nodiscard]] float getOutlineThickness() const { return m_outlineThickness; }

    /// Where the character at index starts (the end of the string for an index past it): its left
    /// edge on the top of its line, in global coordinates.
    [[nodiscard]] Vector2f findCharacterPos(std::size_t index) const;

    /// Bounds of the glyphs (and outline) in local coordinates, and after the transform.
    [[nodiscard]] FloatRect getLocalBounds() const;
    [[nodiscard]] FloatRect getGlobalBounds() const;

protected:
    void draw(RenderTarget& target, RenderStates states) const override;

private:
    void ensureGeometryUpdate() const;

    String m_string;
    const Font* m_font{};
    unsigned int m_characterSize{30};
    float m_letterSpacingFactor{1.f};
    float m_lineSpacingFactor{1.f};
    std::uint32_t m_style{Regular};
    Color m_fillColor{Color::White};
    Color m_outlineColor{Color::Black};
    float m_outlineThickness{0.f};
    mutable std::vector<Vertex> m_vertices;
    mutable std::vector<Vertex> m_outlineVertices;
    mutable FloatRect m_bounds;
    mutable bool m_geometryNeedUpdate{true};
};
} // namespace mivra
