#pragma once

#include <mivra/System/Vector2.hpp>

#include <cstdint>

namespace island
{
// Colour and vertex with the layout of the graphics module's own types (rgba bytes; position,
// colour, texture coordinates), so the terrain code can be built and tested without a display.
struct Color
{
    std::uint8_t r{};
    std::uint8_t g{};
    std::uint8_t b{};
    std::uint8_t a{255};

    friend constexpr bool operator==(const Color&, const Color&) = default;
};

struct Vertex
{
    mivra::Vector2f position;
    Color color{255, 255, 255, 255};
    mivra::Vector2f texCoords;
};
} // namespace island
