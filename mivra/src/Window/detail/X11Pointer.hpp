#pragma once

#include <mivra/System/Vector2.hpp>

#include <cstdint>
#include <optional>

namespace mivra::detail
{
struct PointerState
{
    Vector2i position;       // on the desktop
    std::uint32_t buttons{}; // bit n set: button n + 1 (1 left, 2 middle, 3 right, 8 and 9 extra) down
};

// Asks the X server where the pointer is, on a connection of our own. SDL's answer to the same
// question is cached and refreshed only on raw motion, so it goes stale when the pointer is
// moved by other means (warps, synthetic input). Nothing when the video driver is not X11.
std::optional<PointerState> queryX11Pointer();
} // namespace mivra::detail
