#pragma once

namespace mivra
{
/// How a sequence of vertices is assembled into primitives.
enum class PrimitiveType
{
    Points,
    Lines,
    LineStrip,
    Triangles,
    TriangleStrip,
    TriangleFan
};
} // namespace mivra
