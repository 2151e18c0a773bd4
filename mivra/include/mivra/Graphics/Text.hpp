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
/// On a target whose physical pixels outnumber its logical ones (a window on a scaled output),
/// glyphs are rendered by the font at characterSize times the target's pixel ratio
/// (RenderTarget::getPixelRatio) and laid out back in logical units, so text stays as sharp as the
/// output; the bounds are those of the last ratio drawn at (1 until drawn).
///
/// The geometry is rebuilt lazily, into buffers that keep their capacity, from glyphs the font
/// caches: changing the string to one of the same length and redrawing allocates nothing.
class Text : public Drawable, public Transformable
{
public:
    /// Style flags, combined with |.
    enum Style : std::uint32_t
    {
        Regular = 0,           ///< Plain characters.
        Bold = 1 << 0,         ///< Bold characters.
        Italic = 1 << 1,       ///< Slanted characters.
        Underlined = 1 << 2,   ///< A line under each line of text.
        StrikeThrough = 1 << 3 ///< A line through each line of text.
    };

    /// The font must outlive the text.
    Text(const Font& font, String string = {}, unsigned int characterSize = 30);
    Text(const Font&& font, String string = {}, unsigned int characterSize = 30) = delete;

    /// The text; "\n" starts a new line.
    void setString(const String& string);
    /// The font, which must outlive the text.
    void setFont(const Font& font);
    void setFont(const Font&& font) = delete;
    /// The character size, in pixels (30 by default).
    void setCharacterSize(unsigned int size);
    /// A factor of the font's line spacing (1 by default).
    void setLineSpacing(float spacingFactor);
    /// A factor of the normal space between letters (1 by default).
    void setLetterSpacing(float spacingFactor);
    /// Style flags (Text::Style), combined with |.
    void setStyle(std::uint32_t style);
    /// The characters' colour (white by default).
    void setFillColor(Color color);
    /// The outline's colour (black by default).
    void setOutlineColor(Color color);
    /// The outline's thickness in pixels; 0 (the default) for none.
    void setOutlineThickness(float thickness);

    /// The text.
    [[nodiscard]] const String& getString() const { return m_string; }
    /// The font.
    [[nodiscard]] const Font& getFont() const { return *m_font; }
    /// The character size.
    [[nodiscard]] unsigned int getCharacterSize() const { return m_characterSize; }
    /// The letter spacing factor.
    [[nodiscard]] float getLetterSpacing() const { return m_letterSpacingFactor; }
    /// The line spacing factor.
    [[nodiscard]] float getLineSpacing() const { return m_lineSpacingFactor; }
    /// The style flags.
    [[nodiscard]] std::uint32_t getStyle() const { return m_style; }
    /// The characters' colour.
    [[nodiscard]] Color getFillColor() const { return m_fillColor; }
    /// The outline's colour.
    [[nodiscard]] Color getOutlineColor() const { return m_outlineColor; }
    /// The outline's thickness.
    [[nodiscard]] float getOutlineThickness() const { return m_outlineThickness; }

    /// Where the character at index starts (the end of the string for an index past it): its left
    /// edge on the top of its line, in global coordinates.
    [[nodiscard]] Vector2f findCharacterPos(std::size_t index) const;

    /// Bounds of the glyphs (and outline) in local coordinates, and after the transform.
    ///@{
    [[nodiscard]] FloatRect getLocalBounds() const;
    [[nodiscard]] FloatRect getGlobalBounds() const;
    ///@}

protected:
    void draw(RenderTarget& target, RenderStates states) const override;

private:
    void ensureGeometryUpdate() const;
    // The size glyphs are rendered at: the character size at the geometry's pixel ratio.
    [[nodiscard]] unsigned int glyphSize() const;

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
    mutable float m_pixelRatio{1.f}; // of the target the geometry was laid out for
};
} // namespace mivra
