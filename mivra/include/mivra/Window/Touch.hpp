#pragma once

#include <mivra/System/Vector2.hpp>

namespace mivra
{
class WindowBase;

/// Fingers on a touch screen, as the window events last reported them. Fingers are numbered
/// from 0 in the order they touched; a number is reused once its finger has left.
class Touch
{
public:
    /// Whether the finger is on the screen.
    [[nodiscard]] static bool isDown(unsigned int finger);
    /// Position on the desktop.
    [[nodiscard]] static Vector2i getPosition(unsigned int finger);
    /// Position relative to the window's top-left corner.
    [[nodiscard]] static Vector2i getPosition(unsigned int finger, const WindowBase& relativeTo);
};
} // namespace mivra
