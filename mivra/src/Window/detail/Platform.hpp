#pragma once

#include "WindowImpl.hpp"

#include <mivra/System/String.hpp>
#include <mivra/System/Vector2.hpp>
#include <mivra/Window/ContextSettings.hpp>
#include <mivra/Window/Joystick.hpp>
#include <mivra/Window/Keyboard.hpp>
#include <mivra/Window/Mouse.hpp>
#include <mivra/Window/VideoMode.hpp>
#include <mivra/Window/WindowEnums.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace mivra::detail
{
// Everything the window module asks of the system it runs on: windows, and the process-wide
// state of keyboard, mouse, joysticks and screens. The shared code (Keyboard, Mouse, Joystick,
// VideoMode, WindowBase) speaks only to this; one implementation per backend, picked by the
// chooser (WindowBackend.hpp).
class Platform
{
public:
    virtual ~Platform() = default;

    // Opens a window, with an OpenGL context when `settings` is given. Nothing when it cannot be
    // opened; the backend has said why.
    virtual std::unique_ptr<WindowImpl> createWindow(VideoMode mode, const String& title, std::uint32_t style,
                                                     State state, const ContextSettings* settings) = 0;

    // Keyboard: live state and the layout. Unknown where the layout has no answer.
    virtual bool isKeyPressed(Keyboard::Scan code) = 0;
    virtual Keyboard::Key localize(Keyboard::Scan code) = 0;
    virtual Keyboard::Scan delocalize(Keyboard::Key key) = 0;
    // The name the layout gives a key that types a character; empty when it types none.
    virtual String getCharacterKeyName(Keyboard::Scan code) = 0;

    // Mouse, in desktop coordinates.
    virtual bool isMouseButtonPressed(Mouse::Button button) = 0;
    virtual Vector2i getMousePosition() = 0;
    virtual void setMousePosition(Vector2i position) = 0;

    // Joysticks, by the slot numbering of the Joystick namespace.
    virtual bool isJoystickConnected(unsigned int joystick) = 0;
    virtual Joystick::Identification getJoystickIdentification(unsigned int joystick) = 0;
    virtual unsigned int getJoystickButtonCount(unsigned int joystick) = 0;
    virtual bool hasJoystickAxis(unsigned int joystick, Joystick::Axis axis) = 0;
    virtual float getJoystickAxisPosition(unsigned int joystick, Joystick::Axis axis) = 0;
    virtual bool isJoystickButtonPressed(unsigned int joystick, unsigned int button) = 0;
    virtual void setJoystickThreshold(float threshold) = 0;

    // Screens: the desktop's mode (nothing when no screen can be reached) and every mode the
    // first screen offers, in the screen's own order, duplicates included.
    virtual std::optional<VideoMode> getDesktopMode() = 0;
    virtual std::vector<VideoMode> getDisplayModes() = 0;
};
} // namespace mivra::detail
