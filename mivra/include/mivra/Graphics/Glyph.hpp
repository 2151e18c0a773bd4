#pragma once

#include <mivra/Graphics/Rect.hpp>

namespace mivra
{
/// One rendered character of a font at one size, style and outline thickness.
struct Glyph
{
    float advance{};     ///< distance to the next character's origin, in pixels
    int lsbDelta{};      ///< hinting shifts of the left and right side bearings (26.6 pixels)
    int rsbDelta{};
    FloatRect bounds;    ///< relative to the baseline origin, y down
    IntRect textureRect; ///< where it sits in the font's texture for that size
};
} // namespace mivra
