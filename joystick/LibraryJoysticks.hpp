#pragma once

#include "JoystickRows.hpp"

#include <mivra/Window/Joystick.hpp>

namespace joystick
{
// The library's joysticks, as the inspector reads them.
class LibraryJoysticks : public JoystickState
{
public:
    bool isConnected(unsigned int index) const override { return mivra::Joystick::isConnected(index); }
    mivra::String name(unsigned int index) const override { return mivra::Joystick::getIdentification(index).name; }
    bool hasAxis(unsigned int index, int axis) const override
    {
        return mivra::Joystick::hasAxis(index, static_cast<mivra::Joystick::Axis>(axis));
    }
    float axisPosition(unsigned int index, int axis) const override
    {
        return mivra::Joystick::getAxisPosition(index, static_cast<mivra::Joystick::Axis>(axis));
    }
    unsigned int buttonCount(unsigned int index) const override { return mivra::Joystick::getButtonCount(index); }
    bool isButtonPressed(unsigned int index, unsigned int button) const override
    {
        return mivra::Joystick::isButtonPressed(index, button);
    }
};
} // namespace joystick
