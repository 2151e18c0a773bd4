#pragma once

#include <mivra/Graphics/Color.hpp>
#include <mivra/System/Vector2.hpp>

namespace mivra
{
/// One point of a primitive: a position, a colour and texture coordinates in texture pixels.
struct Vertex
{
    Vector2f position{};
    Color color{Color::White};
    Vector2f texCoords{};
};
} // namespace mivra
