#pragma once

#include "NullWindowImpl.hpp"
#include "Platform.hpp"

namespace mivra::detail
{
// No system at all: windows keep their properties and get only the events pushed into them
// (NullWindowImpl), no key or button is ever down, no joystick is connected, no screen is known
// and no layout names a key. Lets window code run where no display exists.
class NullPlatform : public Platform
{
public:
    std::unique_ptr<WindowImpl> createWindow(VideoMode mode, const String& title, std::uint32_t /*style*/,
                                             State /*state*/, const ContextSettings* settings) override
    {
        auto impl = std::make_unique<NullWindowImpl>(mode.size, settings != nullptr);
        impl->setTitle(title);
        return impl;
    }

    bool isKeyPressed(Keyboard::Scan /*code*/) override { return false; }
    Keyboard::Key localize(Keyboard::Scan /*code*/) override { return Keyboard::Key::Unknown; }
    Keyboard::Scan delocalize(Keyboard::Key /*key*/) override { return Keyboard::Scan::Unknown; }
    String getCharacterKeyName(Keyboard::Scan /*code*/) override { return {}; }

    bool isMouseButtonPressed(Mouse::Button /*button*/) override { return false; }
    Vector2i getMousePosition() override { return m_mousePosition; }
    void setMousePosition(Vector2i position) override { m_mousePosition = position; }

    bool isJoystickConnected(unsigned int /*joystick*/) override { return false; }
    Joystick::Identification getJoystickIdentification(unsigned int /*joystick*/) override { return {}; }
    unsigned int getJoystickButtonCount(unsigned int /*joystick*/) override { return 0; }
    bool hasJoystickAxis(unsigned int /*joystick*/, Joystick::Axis /*axis*/) override { return false; }
    float getJoystickAxisPosition(unsigned int /*joystick*/, Joystick::Axis /*axis*/) override { return 0.f; }
    bool isJoystickButtonPressed(unsigned int /*joystick*/, unsigned int /*button*/) override { return false; }
    void setJoystickThreshold(float /*threshold*/) override {}

    std::optional<VideoMode> getDesktopMode() override { return std::nullopt; }
    std::vector<VideoMode> getDisplayModes() override { return {}; }

private:
    Vector2i m_mousePosition; // where it was last put, so that a warp reads back
};
} // namespace mivra::detail
