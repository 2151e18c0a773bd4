#include "TerrainView.hpp"

#include <mivra/Graphics/RenderStates.hpp>
#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/Image.hpp>
#include <mivra/Graphics/Sprite.hpp>
#include <mivra/Graphics/VertexBuffer.hpp>
#include <mivra/Graphics/View.hpp>

#include <cstdint>

namespace island
{
TerrainView::TerrainView(const mivra::VertexBuffer& mesh, mivra::Shader& shader) : m_mesh(mesh), m_shader(shader)
{
}

namespace
{
// A closed window has no pixels: there is nothing to cache for it, and no texture can be made.
bool isEmpty(mivra::Vector2u size)
{
    return size.x == 0 || size.y == 0;
}
} // namespace

void TerrainView::prepare(const mivra::RenderTarget& target)
{
    if (isEmpty(target.getPhysicalSize()) || m_cache.getSize() == target.getPhysicalSize() ||
        !m_cache.resize(target.getPhysicalSize()))
        return;
    m_cached.reset();
    m_cache.clear(mivra::Color::Transparent);
    m_cache.display();
}

void TerrainView::invalidate()
{
    m_cached.reset();
}

void TerrainView::renderMesh(mivra::RenderTarget& target, float lightFactor)
{
    m_shader.setUniform("lightFactor", lightFactor);
    target.draw(m_mesh, mivra::RenderStates(&m_shader));
    ++m_renderCount;
}

void TerrainView::draw(mivra::RenderTarget& target, float lightFactor)
{
    if (isEmpty(target.getPhysicalSize()))
        return;
    const mivra::View view = target.getView(); // a copy: the target's view is replaced below
    const Key key{lightFactor, target.getPhysicalSize(), view.getTransform(), view.getViewport()};
    if (m_cached != key)
    {
        m_cached.reset();
        if (m_cache.getSize() != key.size && !m_cache.resize(key.size))
        {
            renderMesh(target, lightFactor);
            return;
        }
        // Cleared to transparent so that pixels the mesh leaves uncovered leave the target as it
        // was; the terrain itself is opaque, so blending the copy reproduces it exactly.
        m_cache.clear(mivra::Color::Transparent);
        m_cache.setView(view);
        renderMesh(m_cache, lightFactor);
        m_cache.display();
        m_cached = key;
        // Where the terrain covers the whole target, as it does in the island's window, the
        // copy may simply replace the pixels: the software renderer then skips reading them back
        // for blending, about a quarter of the cost of a frame at rest.
        const mivra::Image picture = m_cache.getTexture().copyToImage();
        const std::uint8_t* pixels = picture.getPixelsPtr();
        const std::size_t bytes = static_cast<std::size_t>(picture.getSize().x) * picture.getSize().y * 4;
        m_opaque = pixels != nullptr && picture.getSize() == key.size;
        for (std::size_t i = 3; m_opaque && i < bytes; i += 4)
            m_opaque = pixels[i] == 255;
    }

    // One texel per physical pixel (the cache follows the output's scale, so the terrain stays as
    // sharp as the output): the copy is placed in physical pixel coordinates, whatever the view.
    const mivra::Vector2f size(key.size);
    target.setView(mivra::View(mivra::FloatRect({0.f, 0.f}, size)));
    target.draw(mivra::Sprite(m_cache.getTexture()),
                m_opaque ? mivra::RenderStates(mivra::BlendNone) : mivra::RenderStates::Default);
    target.setView(view);
}
} // namespace island
