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
    explicit Sprite(const Texture& texture);
    Sprite(const Texture& texture, const IntRect& rectangle);
    Sprite(const Texture&&) = delete;
    Sprite(const Texture&&, const IntRect&) = delete;

    void setTexture(const Texture& texture, bool resetRect = false);
    void setTexture(const Texture&&, bool = false) = delete;
    void setTextureRect(const IntRect& rectangle);
    void setColor(Color color);

    [[nodiscard]] const Texture& getTexture() const { return *m_texture; }
    [[nodiscard]] const IntRect& getTextureRect() const { return m_textureRect; }
    [[nodiscard]] Color getColor() const { return m_vertices[0].color; }

    [[nodiscard]] FloatRect getLocalBounds() const;
    [[nodiscard]] FloatRect getGlobalBounds() const;

protected:
    void draw(RenderTarget& target, RenderStates states) const override;

private:
    void updateVertices();

    std::array<Vertex, 4> m_vertices;
    const Texture* m_texture;
    IntRect m_textureRect;
};
} // namespace mivra
