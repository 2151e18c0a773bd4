#pragma once

#include "MeshVertex.hpp"

#include <bit>
#include <cstdint>
#include <ostream>

namespace island::testing
{
// Exact comparison of two vertices: every float compared by its bits, so -0 differs from 0 and a
// NaN equals only the same NaN.
inline bool sameBits(const Vertex& a, const Vertex& b)
{
    const auto bits = [](float f) { return std::bit_cast<std::uint32_t>(f); };
    return bits(a.position.x) == bits(b.position.x) && bits(a.position.y) == bits(b.position.y) && a.color == b.color &&
           bits(a.texCoords.x) == bits(b.texCoords.x) && bits(a.texCoords.y) == bits(b.texCoords.y);
}

} // namespace island::testing

// Printing for test messages; found by argument-dependent lookup in the vertex's own namespace.
namespace mivra
{
inline std::ostream& operator<<(std::ostream& out, const Vertex& v)
{
    return out << "{(" << v.position.x << ", " << v.position.y << ") rgba(" << int(v.color.r) << ", " << int(v.color.g)
               << ", " << int(v.color.b) << ", " << int(v.color.a) << ") n(" << v.texCoords.x << ", " << v.texCoords.y
               << ")}";
}
} // namespace mivra
