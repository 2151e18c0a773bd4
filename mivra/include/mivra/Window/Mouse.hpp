#pragma once

#include <mivra/System/Vector2.hpp>

namespace mivra
{
class WindowBase;

/// The mouse: button state and pointer position, apart from events.
class Mouse
{
public:
    enum class Button
    {
        Left,
        Right,
        Middle,
        Extra1,
        Extra2,
    };
    static constexpr unsigned int ButtonCount = 5;

    enum class Wheel
    {
        Vertical,
        Horizontal,
    };

    [[nodiscard]] static bool isButtonPressed(Button button);
    /// Pointer position on the desktop.
    [[nodiscard]] static Vector2i getPosition();
    /// Pointer position relative to the window's top-left corner; negative or beyond the size
    /// when the pointer is outside the window.
    [[nodiscard]] static Vector2i getPosition(const WindowBase& relativeTo);
    static void setPosition(Vector2i position);
    static void setPosition(Vector2i position, const WindowBase& relativeTo);
};
} // namespace mivra
