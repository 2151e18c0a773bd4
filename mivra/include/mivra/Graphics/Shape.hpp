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
    void setTexture(const Texture* texture, bool resetRect = false);
    void setTextureRect(const IntRect& rect);
    void setFillColor(Color color);
    void setOutlineColor(Color color);
    void setOutlineThickness(float thickness);

    [[nodiscard]] const Texture* getTexture() const { return m_texture; }
    [[nodiscard]] const IntRect& getTextureRect() const { return m_textureRect; }
    [[nodiscard]] Color getFillColor() const { return m_fillColor; }
    [[nodiscard]] Color getOutlineColor() const { return m_outlineColor; }
    [[nodiscard]] float getOutlineThickness() const { return m_outlineThickness; }

    [[nodiscard]] virtual std::size_t getPointCount() const = 0;
    [[nodiscard]] virtual Vector2f getPoint(std::size_t index) const = 0;
    [[nodiscard]] virtual Vector2f getGeometricCenter() const;

    /// Bounds with the outline, before and after the transform.
    [[nodiscard]] FloatRect getLocalBounds() const { return m_bounds; }
    [[nodiscard]] FloatRect getGlobalBounds() const;

protected:
    Shape() = default;
    void update();
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
