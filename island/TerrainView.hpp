#pragma once

#include <mivra/Graphics/Rect.hpp>
#include <mivra/Graphics/RenderTexture.hpp>
#include <mivra/Graphics/Transform.hpp>

#include <optional>

namespace mivra
{
class RenderTarget;
class Shader;
class VertexBuffer;
} // namespace mivra

namespace island
{
// The lit terrain as a target shows it. Sending 2.88 million vertices through the terrain shader
// takes tens of milliseconds on a software renderer, yet the picture only changes when a new
// terrain is uploaded, when lightFactor changes, or when the target's size or view changes. The
// terrain is drawn into a texture then, and every other frame copies that texture, pixel for
// pixel, onto the target.
class TerrainView
{
public:
    // The mesh and the shader must outlive the view.
    TerrainView(const mivra::VertexBuffer& mesh, mivra::Shader& shader);

    // Makes the texture (and its graphics context) for the target's size ahead of the first
    // draw, which then costs no more than any later change. Meant for the frames spent waiting
    // for the first terrain; a no-op once done for that size.
    void prepare(const mivra::RenderTarget& target);

    // The mesh holds a new terrain: the next draw renders it again.
    void invalidate();

    // Draws the lit terrain onto the target with the target's current view. Where no texture can
    // be made for the target, the terrain is drawn directly, as it would be without a cache. A
    // target without pixels (a window closed in this frame) gets nothing.
    void draw(mivra::RenderTarget& target, float lightFactor);

    // How often the mesh has been rendered, into the cache or directly.
    [[nodiscard]] unsigned renderCount() const { return m_renderCount; }

private:
    // What the cached picture was rendered for.
    struct Key
    {
        float lightFactor;
        mivra::Vector2u size;
        mivra::Transform view;
        mivra::FloatRect viewport;
        friend bool operator==(const Key&, const Key&) = default;
    };

    void renderMesh(mivra::RenderTarget& target, float lightFactor);

    const mivra::VertexBuffer& m_mesh;
    mivra::Shader& m_shader;
    mivra::RenderTexture m_cache;
    std::optional<Key> m_cached; // empty until rendered, and after invalidate()
    bool m_opaque = false;       // every pixel of the cached picture is opaque
    unsigned m_renderCount = 0;
};
} // namespace island
