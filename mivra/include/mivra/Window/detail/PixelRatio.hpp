#pragma once

#include <mivra/System/Vector2.hpp>

namespace mivra::detail
{
// Physical pixels per logical pixel, for a window or render target of `size` logical pixels drawn
// with `physicalSize` pixels: the output's scale, the same across as down, so the heights give it.
// 1 while either size is empty (no window open, a target not made yet), so nothing divides by it
// to zero. Windows and render targets both answer with this one function: text rendered for a
// target and the ratio a program reads from its window cannot disagree.
[[nodiscard]] inline float pixelRatio(Vector2u size, Vector2u physicalSize)
{
    if (size.y == 0 || physicalSize.y == 0)
        return 1.f;
    return static_cast<float>(physicalSize.y) / static_cast<float>(size.y);
}
} // namespace mivra::detail
