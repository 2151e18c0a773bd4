#pragma once

#include <mivra/System/Vector2.hpp>

namespace mivra
{
class WindowBase;

/// The mouse: button state and pointer position, apart from events.
class Mouse
{
public:
    /// The mouse buttons.
    enum class Button
    {
        Left,   ///< The left button.
        Right,  ///< The right button.
        Middle, ///< The middle button (pressing the wheel).
        Extra1, ///< The first extra button (usually "back").
        Extra2, ///< The second extra button (usually "forward").
    };
    /// The number of buttons.
    static constexpr unsigned int ButtonCount = 5;

    /// The wheels.
    enum class Wheel
    {
        Vertical,   ///< The ordinary wheel.
        Horizontal, ///< The tilt wheel or horizontal scrolling.
    };

    /// Whether the button is down now, apart from events.
    [[nodiscard]] static bool isButtonPressed(Button button);
    /// Pointer position on the desktop.
    [[nodiscard]] static Vector2i getPosition();
    /// Pointer position relative to the window's top-left corner; negative or beyond the size
    /// when the pointer is outside the window.
    [[nodiscard]] static Vector2i getPosition(const WindowBase& relativeTo);
    /// Moves the pointer to the position on the desktop.
    static void setPosition(Vector2i position);
    /// Moves the pointer to the position relative to the window's top-left corner.
    static void setPosition(Vector2i position, const WindowBase& relativeTo);
};
} // namespace mivra
