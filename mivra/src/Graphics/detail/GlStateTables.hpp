#pragma once

#include <mivra/Graphics/BlendMode.hpp>
#include <mivra/Graphics/PrimitiveType.hpp>
#include <mivra/Graphics/StencilMode.hpp>

#include <epoxy/gl.h>

namespace mivra::detail
{
// The OpenGL names of the library's blend, stencil and primitive enumerations.
GLenum factorToGl(BlendMode::Factor factor);
GLenum equationToGl(BlendMode::Equation equation);
// The reference is the first operand: Less passes where reference < stored value.
GLenum comparisonToGl(StencilComparison comparison);
GLenum updateToGl(StencilUpdateOperation operation);
GLenum primitiveToGl(PrimitiveType type);
} // namespace mivra::detail
