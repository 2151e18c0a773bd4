#pragma once

#include <mivra/Graphics/Color.hpp>
#include <mivra/System/Vector2.hpp>

namespace mivra
{
/// One point of a primitive: a position, a colour and texture coordinates in texture pixels.
struct Vertex
{
    Vector2f position{};       ///< The position, before the render states' transform and the view.
    Color color{Color::White}; ///< The colour, multiplied with the texture's.
    Vector2f texCoords{};      ///< Where in the texture, in texture pixels.
};
} // namespace mivra
