#pragma once

#include <mivra/Graphics/Color.hpp>
#include <mivra/Graphics/Drawable.hpp>
#include <mivra/Graphics/Rect.hpp>
#include <mivra/Graphics/Transformable.hpp>
#include <mivra/Graphics/Vertex.hpp>

#include <array>

namespace mivra
{
class Texture;

/// A textured rectangle showing a part of a texture, tinted by a colour. The texture must outlive
/// the sprite.
class Sprite : public Drawable, public Transformable
{
public:
    /// Shows the whole texture, which must outlive the sprite.
    explicit Sprite(const Texture& texture);
    /// Shows the part `rectangle` of the texture, in texture pixels.
    Sprite(const Texture& texture, const IntRect& rectangle);
    Sprite(const Texture&&) = delete;
    Sprite(const Texture&&, const IntRect&) = delete;

    /// Shows another texture; with `resetRect` the texture rectangle becomes the whole texture.
    void setTexture(const Texture& texture, bool resetRect = false);
    void setTexture(const Texture&&, bool = false) = delete;
    /// The part of the texture shown, in texture pixels; the sprite takes its size.
    void setTextureRect(const IntRect& rectangle);
    /// Tints the texture: each pixel is multiplied by the colour (white by default).
    void setColor(Color color);

    /// The texture.
    [[nodiscard]] const Texture& getTexture() const { return *m_texture; }
    /// The texture rectangle.
    [[nodiscard]] const IntRect& getTextureRect() const { return m_textureRect; }
    /// The tint.
    [[nodiscard]] Color getColor() const { return m_vertices[0].color; }

    /// The sprite's rectangle before and after its transform.
    ///@{
    [[nodiscard]] FloatRect getLocalBounds() const;
    [[nodiscard]] FloatRect getGlobalBounds() const;
    ///@}

protected:
    void draw(RenderTarget& target, RenderStates states) const override;

private:
    void updateVertices();

    std::array<Vertex, 4> m_vertices;
    const Texture* m_texture;
    IntRect m_textureRect;
};
} // namespace mivra
