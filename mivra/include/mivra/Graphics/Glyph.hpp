#pragma once

#include <mivra/Graphics/Rect.hpp>

namespace mivra
{
/// One rendered character of a font at one size, style and outline thickness.
struct Glyph
{
    float advance{};     ///< distance to the next character's origin, in pixels
    int lsbDelta{};      ///< Hinting shift of the left side bearing, in 26.6 fixed-point pixels.
    int rsbDelta{};      ///< Hinting shift of the right side bearing, in 26.6 fixed-point pixels.
    FloatRect bounds;    ///< relative to the baseline origin, y down
    IntRect textureRect; ///< where it sits in the font's texture for that size
};
} // namespace mivra
