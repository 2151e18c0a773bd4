#include <mivra/Window/Joystick.hpp>
#include <mivra/Window/WindowBase.hpp>

#include "detail/SdlJoysticks.hpp"

#include <SDL.h>

#include <algorithm>

namespace mivra::Joystick
{
bool isConnected(unsigned int joystick)
{
    return detail::openedSdlJoystick(joystick) != nullptr;
}

Identification getIdentification(unsigned int joystick)
{
    SDL_Joystick* handle = detail::openedSdlJoystick(joystick);
    if (!handle)
        return {};
    const char* name = SDL_JoystickName(handle);
    return {String::fromUtf8(name ? name : ""), SDL_JoystickGetVendor(handle), SDL_JoystickGetProduct(handle)};
}

unsigned int getButtonCount(unsigned int joystick)
{
    SDL_Joystick* handle = detail::openedSdlJoystick(joystick);
    if (!handle)
        return 0;
    return std::min(static_cast<unsigned int>(std::max(SDL_JoystickNumButtons(handle), 0)), ButtonCount);
}

bool hasAxis(unsigned int joystick, Axis axis)
{
    SDL_Joystick* handle = detail::openedSdlJoystick(joystick);
    if (!handle)
        return false;
    const int index = static_cast<int>(axis);
    if (index >= 0 && index < detail::sdlMappedAxisCount)
        return index < SDL_JoystickNumAxes(handle);
    return (axis == Axis::PovX || axis == Axis::PovY) && SDL_JoystickNumHats(handle) > 0;
}

float getAxisPosition(unsigned int joystick, Axis axis)
{
    SDL_Joystick* handle = detail::openedSdlJoystick(joystick);
    if (!handle || static_cast<unsigned int>(axis) >= AxisCount)
        return 0.f;
    return detail::readSdlJoystickAxis(handle, axis);
}

bool isButtonPressed(unsigned int joystick, unsigned int button)
{
    SDL_Joystick* handle = detail::openedSdlJoystick(joystick);
    return handle && button < ButtonCount && SDL_JoystickGetButton(handle, static_cast<int>(button)) != 0;
}
} // namespace mivra::Joystick

namespace mivra
{
void WindowBase::setJoystickThreshold(float threshold)
{
    detail::setJoystickThreshold(threshold);
}
} // namespace mivra
