#pragma once

#include <mivra/Graphics/Color.hpp>
#include <mivra/Graphics/Drawable.hpp>
#include <mivra/Graphics/Rect.hpp>
#include <mivra/Graphics/Transformable.hpp>
#include <mivra/Graphics/Vertex.hpp>

#include <cstddef>
#include <vector>

namespace mivra
{
class Texture;

/// A convex polygon with a fill and an outline. Derived classes give the points and call update()
/// whenever they change.
///
/// The outline is drawn outside the points for a positive thickness (inside for a negative one).
class Shape : public Drawable, public Transformable
{
public:
    /// Paints the fill with `texture` (nullptr: plain colour), which must outlive the shape. With
    /// `resetRect`, or when the shape had neither a texture nor a texture rectangle, the texture
    /// rectangle becomes the whole texture.
    void setTexture(const Texture* texture, bool resetRect = false);
    /// The part of the texture stretched over the shape's bounds, in texture pixels.
    void setTextureRect(const IntRect& rect);
    /// The fill's colour, multiplied with the texture's (white by default).
    void setFillColor(Color color);
    /// The outline's colour (white by default).
    void setOutlineColor(Color color);
    /// The outline's thickness in local units: outside the points when positive, inside when negative, none at 0.
    void setOutlineThickness(float thickness);

    /// The texture, or nullptr.
    [[nodiscard]] const Texture* getTexture() const { return m_texture; }
    /// The texture rectangle.
    [[nodiscard]] const IntRect& getTextureRect() const { return m_textureRect; }
    /// The fill's colour.
    [[nodiscard]] Color getFillColor() const { return m_fillColor; }
    /// The outline's colour.
    [[nodiscard]] Color getOutlineColor() const { return m_outlineColor; }
    /// The outline's thickness.
    [[nodiscard]] float getOutlineThickness() const { return m_outlineThickness; }

    /// The number of points of the polygon.
    [[nodiscard]] virtual std::size_t getPointCount() const = 0;
    /// Point `index` (below getPointCount()), in local coordinates.
    [[nodiscard]] virtual Vector2f getPoint(std::size_t index) const = 0;
    /// The centre of the polygon, in local coordinates: by default the mean of its points.
    [[nodiscard]] virtual Vector2f getGeometricCenter() const;

    /// Bounds with the outline, before and after the transform.
    ///@{
    [[nodiscard]] FloatRect getLocalBounds() const { return m_bounds; }
    [[nodiscard]] FloatRect getGlobalBounds() const;
    ///@}

protected:
    /// No points yet: a derived class gives them and calls update().
    Shape() = default;
    /// Rebuilds the geometry from getPointCount() and getPoint(); derived classes call it whenever a point changes.
    void update();
    /// Draws the fill, then the outline, with the shape's transform combined into the states.
    void draw(RenderTarget& target, RenderStates states) const override;

private:
    void updateFillColors();
    void updateTexCoords();
    void updateOutline();
    void updateOutlineColors();

    const Texture* m_texture{};
    IntRect m_textureRect;
    Color m_fillColor{Color::White};
    Color m_outlineColor{Color::White};
    float m_outlineThickness{};
    std::vector<Vertex> m_vertices;
    std::vector<Vertex> m_outlineVertices;
    FloatRect m_insideBounds;
    FloatRect m_bounds;
};
} // namespace mivra
