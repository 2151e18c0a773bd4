#include <mivra/Graphics/Shader.hpp>
#include <mivra/Graphics/Texture.hpp>

#include "Graphics/detail/GlStateCache.hpp"
#include "Graphics/detail/GlStateTables.hpp"

#include <epoxy/gl.h>

#include <cmath>
#include <cstddef>

namespace mivra::detail
{
namespace
{
bool isDefault(const StencilMode& mode)
{
    return mode.stencilComparison == StencilComparison::Always &&
           mode.stencilUpdateOperation == StencilUpdateOperation::Keep && !mode.stencilOnly;
}

bool hasFramebufferSrgb()
{
    static const bool available = epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_sRGB");
    return available;
}

} // namespace

void GlStateCache::applyView(Cache& cache, const View& view, Vector2u physical)
{
    // Views are in logical pixels; GL's viewport is in the framebuffer's physical ones.
    const Vector2f size(physical);
    const FloatRect& ratio = view.getViewport();
    const IntRect viewport(
        {static_cast<int>(std::lround(size.x * ratio.position.x)),
         static_cast<int>(std::lround(size.y * ratio.position.y))},
        {static_cast<int>(std::lround(size.x * ratio.size.x)), static_cast<int>(std::lround(size.y * ratio.size.y))});
    cache.physicalSize = physical;
    const int top = static_cast<int>(physical.y) - (viewport.position.y + viewport.size.y);
    glViewport(viewport.position.x, top, viewport.size.x, viewport.size.y);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(view.getTransform().getMatrix());
    glMatrixMode(GL_MODELVIEW);
    cache.viewChanged = false;
}

void GlStateCache::applyBlendMode(Cache& cache, const BlendMode& mode)
{
    glBlendFuncSeparate(factorToGl(mode.colorSrcFactor), factorToGl(mode.colorDstFactor),
                        factorToGl(mode.alphaSrcFactor), factorToGl(mode.alphaDstFactor));
    glBlendEquationSeparate(equationToGl(mode.colorEquation), equationToGl(mode.alphaEquation));
    cache.lastBlendMode = mode;
}

void GlStateCache::applyStencilMode(Cache& cache, const StencilMode& mode)
{
    if (isDefault(mode))
    {
        glDisable(GL_STENCIL_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    else
    {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(comparisonToGl(mode.stencilComparison), static_cast<GLint>(mode.stencilReference.value),
                      mode.stencilMask.value);
        const GLenum operation = updateToGl(mode.stencilUpdateOperation);
        // Without a depth test every pixel that passes the stencil test takes the update.
        glStencilOp(GL_KEEP, operation, operation);
        const GLboolean color = mode.stencilOnly ? GL_FALSE : GL_TRUE;
        glColorMask(color, color, color, color);
    }
    glStencilMask(mode.stencilMask.value);
    cache.lastStencilMode = mode;
}

void GlStateCache::applyTransform(Cache& cache, const Transform& transform)
{
    if (transform == Transform::Identity)
    {
        if (!cache.lastTransformIdentity)
        {
            glLoadIdentity();
            cache.lastTransformIdentity = true;
        }
    }
    else
    {
        glLoadMatrixf(transform.getMatrix());
        cache.lastTransformIdentity = false;
    }
}

void GlStateCache::applyTexture(Cache& cache, const Texture* texture, std::uint64_t cacheId)
{
    if (texture && texture->getNativeHandle())
    {
        glEnable(GL_TEXTURE_2D);
        Texture::bind(texture);
        cache.lastTextureId = cacheId;
    }
    else
    {
        glDisable(GL_TEXTURE_2D);
        Texture::bind(nullptr);
        cache.lastTextureId = 0;
    }
}
void GlStateCache::reset(RenderTarget& target)
{
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glActiveTexture(GL_TEXTURE0);
    glClientActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    if (hasFramebufferSrgb())
    {
        if (target.isSrgb())
            glEnable(GL_FRAMEBUFFER_SRGB);
        else
            glDisable(GL_FRAMEBUFFER_SRGB);
    }
    Cache& cache = target.m_cache;
    cache.valid = true;
    cache.lastTransformIdentity = true;
    applyBlendMode(cache, BlendAlpha);
    applyStencilMode(cache, StencilMode());
    applyTexture(cache, nullptr, 0);
    Shader::bind(nullptr);
    applyView(cache, target.m_view, target.getPhysicalSize());
}

void GlStateCache::apply(RenderTarget& target, const RenderStates& states)
{
    Cache& cache = target.m_cache;
    if (cache.viewChanged)
        applyView(cache, target.m_view, target.getPhysicalSize());
    if (states.blendMode != cache.lastBlendMode)
        applyBlendMode(cache, states.blendMode);
    if (states.stencilMode != cache.lastStencilMode)
        applyStencilMode(cache, states.stencilMode);
    applyTransform(cache, states.transform);
    const std::uint64_t textureId = states.texture ? states.texture->m_cacheId : 0;
    if (textureId != cache.lastTextureId)
        applyTexture(cache, states.texture, textureId);
    if (states.shader)
        Shader::bind(states.shader);
}

void GlStateCache::pointAt(const void* base)
{
    // Added as integers: with a vertex buffer bound the base is 0, and the pointers are offsets.
    const auto at = [base](std::size_t offset) {
        return reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(base) + offset);
    };
    glVertexPointer(2, GL_FLOAT, sizeof(Vertex), at(offsetof(Vertex, position)));
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), at(offsetof(Vertex, color)));
    glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), at(offsetof(Vertex, texCoords)));
}
} // namespace mivra::detail
