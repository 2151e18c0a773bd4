#pragma once

#include "Platform.hpp"

namespace mivra::detail
{
// The desktop through SDL, on the display server the backend chooser named for it
// (WindowBackend.cpp; SDL's own choice where SDL_VIDEODRIVER names one). SDL's video subsystem
// comes up on first need. Display-server extras (raw mouse motion, the X server's own pointer state) are
// chosen by the server SDL runs on.
class SdlPlatform : public Platform
{
public:
    std::unique_ptr<WindowImpl> createWindow(VideoMode mode, const String& title, std::uint32_t style, State state,
                                             const ContextSettings* settings) override;

    bool isKeyPressed(Keyboard::Scan code) override;
    Keyboard::Key localize(Keyboard::Scan code) override;
    Keyboard::Scan delocalize(Keyboard::Key key) override;
    String getCharacterKeyName(Keyboard::Scan code) override;

    bool isMouseButtonPressed(Mouse::Button button) override;
    Vector2i getMousePosition() override;
    void setMousePosition(Vector2i position) override;

    bool isJoystickConnected(unsigned int joystick) override;
    Joystick::Identification getJoystickIdentification(unsigned int joystick) override;
    unsigned int getJoystickButtonCount(unsigned int joystick) override;
    bool hasJoystickAxis(unsigned int joystick, Joystick::Axis axis) override;
    float getJoystickAxisPosition(unsigned int joystick, Joystick::Axis axis) override;
    bool isJoystickButtonPressed(unsigned int joystick, unsigned int button) override;
    void setJoystickThreshold(float threshold) override;

    std::optional<VideoMode> getDesktopMode() override;
    std::vector<VideoMode> getDisplayModes() override;
};
} // namespace mivra::detail
