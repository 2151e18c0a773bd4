#pragma once

#include <mivra/Graphics/BlendMode.hpp>
#include <mivra/Graphics/StencilMode.hpp>
#include <mivra/Graphics/Transform.hpp>

namespace mivra
{
class Shader;
class Texture;

/// Everything besides the vertices that decides how a draw call paints.
struct RenderStates
{
    /// Alpha blending, no stencil test, the identity transform, no texture, no shader.
    RenderStates() = default;
    /// The default states with one of them replaced.
    ///@{
    RenderStates(const BlendMode& theBlendMode) : blendMode(theBlendMode) {}
    RenderStates(const StencilMode& theStencilMode) : stencilMode(theStencilMode) {}
    RenderStates(const Transform& theTransform) : transform(theTransform) {}
    RenderStates(const Texture* theTexture) : texture(theTexture) {}
    RenderStates(const Shader* theShader) : shader(theShader) {}
    /// Every state given.
    RenderStates(const BlendMode& theBlendMode, const StencilMode& theStencilMode, const Transform& theTransform,
                 const Texture* theTexture, const Shader* theShader)
        : blendMode(theBlendMode), stencilMode(theStencilMode), transform(theTransform), texture(theTexture),
          shader(theShader)
    {
    }

    BlendMode blendMode{BlendAlpha}; ///< How the drawn colours combine with the target's.
    StencilMode stencilMode{};       ///< The stencil test and update.
    Transform transform{};           ///< Applied to the vertices before the view.
    const Texture* texture{nullptr}; ///< The texture the vertices' texture coordinates refer to, or none.
    const Shader* shader{nullptr};   ///< The shader to draw with, or none for the fixed pipeline.

    /// The default states.
    static const RenderStates Default;
};

inline const RenderStates RenderStates::Default{};
} // namespace mivra
