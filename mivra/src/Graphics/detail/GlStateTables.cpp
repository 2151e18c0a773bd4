#include "Graphics/detail/GlStateTables.hpp"

namespace mivra::detail
{
GLenum factorToGl(BlendMode::Factor factor)
{
    switch (factor)
    {
    case BlendMode::Factor::Zero: return GL_ZERO;
    case BlendMode::Factor::One: return GL_ONE;
    case BlendMode::Factor::SrcColor: return GL_SRC_COLOR;
    case BlendMode::Factor::OneMinusSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case BlendMode::Factor::DstColor: return GL_DST_COLOR;
    case BlendMode::Factor::OneMinusDstColor: return GL_ONE_MINUS_DST_COLOR;
    case BlendMode::Factor::SrcAlpha: return GL_SRC_ALPHA;
    case BlendMode::Factor::OneMinusSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case BlendMode::Factor::DstAlpha: return GL_DST_ALPHA;
    case BlendMode::Factor::OneMinusDstAlpha: return GL_ONE_MINUS_DST_ALPHA;
    }
    return GL_ZERO;
}

GLenum equationToGl(BlendMode::Equation equation)
{
    switch (equation)
    {
    case BlendMode::Equation::Add: return GL_FUNC_ADD;
    case BlendMode::Equation::Subtract: return GL_FUNC_SUBTRACT;
    case BlendMode::Equation::ReverseSubtract: return GL_FUNC_REVERSE_SUBTRACT;
    case BlendMode::Equation::Min: return GL_MIN;
    case BlendMode::Equation::Max: return GL_MAX;
    }
    return GL_FUNC_ADD;
}

GLenum comparisonToGl(StencilComparison comparison)
{
    switch (comparison)
    {
    case StencilComparison::Never: return GL_NEVER;
    case StencilComparison::Less: return GL_LESS;
    case StencilComparison::LessEqual: return GL_LEQUAL;
    case StencilComparison::Greater: return GL_GREATER;
    case StencilComparison::GreaterEqual: return GL_GEQUAL;
    case StencilComparison::Equal: return GL_EQUAL;
    case StencilComparison::NotEqual: return GL_NOTEQUAL;
    case StencilComparison::Always: return GL_ALWAYS;
    }
    return GL_ALWAYS;
}

GLenum updateToGl(StencilUpdateOperation operation)
{
    switch (operation)
    {
    case StencilUpdateOperation::Keep: return GL_KEEP;
    case StencilUpdateOperation::Zero: return GL_ZERO;
    case StencilUpdateOperation::Replace: return GL_REPLACE;
    case StencilUpdateOperation::Increment: return GL_INCR;
    case StencilUpdateOperation::Decrement: return GL_DECR;
    case StencilUpdateOperation::Invert: return GL_INVERT;
    }
    return GL_KEEP;
}

GLenum primitiveToGl(PrimitiveType type)
{
    switch (type)
    {
    case PrimitiveType::Points: return GL_POINTS;
    case PrimitiveType::Lines: return GL_LINES;
    case PrimitiveType::LineStrip: return GL_LINE_STRIP;
    case PrimitiveType::Triangles: return GL_TRIANGLES;
    case PrimitiveType::TriangleStrip: return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan: return GL_TRIANGLE_FAN;
    }
    return GL_POINTS;
}
} // namespace mivra::detail
