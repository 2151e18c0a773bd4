#pragma once

#include <mivra/Graphics/RenderTarget.hpp>

#include <cstdint>

namespace mivra::detail
{
// Sets the OpenGL state a render target draws with, and keeps the target's record of what it set
// (RenderTarget::StatesCache) so that a draw sends only what changed.
struct GlStateCache
{
    // Sets the whole state the target draws with, whatever OpenGL held before.
    static void reset(RenderTarget& target);
    // Sends what `states` and the target's view need beyond what the cache says is set.
    static void apply(RenderTarget& target, const RenderStates& states);
    // Points OpenGL's vertex arrays at vertices laid out as Vertex, from `base` on (an address,
    // or an offset into the bound vertex buffer).
    static void pointAt(const void* base);

private:
    using Cache = RenderTarget::StatesCache;
    static void applyView(Cache& cache, const View& view, Vector2u physical);
    static void applyBlendMode(Cache& cache, const BlendMode& mode);
    static void applyStencilMode(Cache& cache, const StencilMode& mode);
    static void applyTransform(Cache& cache, const Transform& transform);
    static void applyTexture(Cache& cache, const Texture* texture, std::uint64_t cacheId);
};
} // namespace mivra::detail
