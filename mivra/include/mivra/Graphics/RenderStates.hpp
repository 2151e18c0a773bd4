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
    RenderStates() = default;
    RenderStates(const BlendMode& theBlendMode) : blendMode(theBlendMode) {}
    RenderStates(const StencilMode& theStencilMode) : stencilMode(theStencilMode) {}
    RenderStates(const Transform& theTransform) : transform(theTransform) {}
    RenderStates(const Texture* theTexture) : texture(theTexture) {}
    RenderStates(const Shader* theShader) : shader(theShader) {}
    RenderStates(const BlendMode& theBlendMode, const StencilMode& theStencilMode, const Transform& theTransform,
                 const Texture* theTexture, const Shader* theShader)
        : blendMode(theBlendMode), stencilMode(theStencilMode), transform(theTransform), texture(theTexture), shader(theShader)
    {
    }

    BlendMode blendMode{BlendAlpha};
    StencilMode stencilMode{};
    Transform transform{};
    const Texture* texture{nullptr};
    const Shader* shader{nullptr};

    static const RenderStates Default;
};

inline const RenderStates RenderStates::Default{};
} // namespace mivra
