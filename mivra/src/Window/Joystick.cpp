#include <mivra/Window/Joystick.hpp>
#include <mivra/Window/WindowBase.hpp>

#include "detail/WindowBackend.hpp"

namespace mivra::Joystick
{
bool isConnected(unsigned int joystick)
{
    return detail::platform().isJoystickConnected(joystick);
}

Identification getIdentification(unsigned int joystick)
{
    return detail::platform().getJoystickIdentification(joystick);
}

unsigned int getButtonCount(unsigned int joystick)
{
    return detail::platform().getJoystickButtonCount(joystick);
}

bool hasAxis(unsigned int joystick, Axis axis)
{
    return detail::platform().hasJoystickAxis(joystick, axis);
}

float getAxisPosition(unsigned int joystick, Axis axis)
{
    return detail::platform().getJoystickAxisPosition(joystick, axis);
}

bool isButtonPressed(unsigned int joystick, unsigned int button)
{
    return detail::platform().isJoystickButtonPressed(joystick, button);
}
} // namespace mivra::Joystick

namespace mivra
{
void WindowBase::setJoystickThreshold(float threshold)
{
    detail::platform().setJoystickThreshold(threshold);
}
} // namespace mivra
