#pragma once

#include "JoystickRows.hpp"

#include <map>
#include <set>

// Joysticks under a test's control.
struct FakeJoystick
{
    std::string name;
    std::map<int, float> axes; // axis number -> position
    unsigned int buttons = 0;
    std::set<unsigned int> pressed;
};

class FakeJoysticks : public joystick::JoystickState
{
public:
    std::map<unsigned int, FakeJoystick> connected;

    bool isConnected(unsigned int index) const override { return connected.count(index) != 0; }
    mivra::String name(unsigned int index) const override { return mivra::String(connected.at(index).name); }
    bool hasAxis(unsigned int index, int axis) const override { return connected.at(index).axes.count(axis) != 0; }
    float axisPosition(unsigned int index, int axis) const override { return connected.at(index).axes.at(axis); }
    unsigned int buttonCount(unsigned int index) const override { return connected.at(index).buttons; }
    bool isButtonPressed(unsigned int index, unsigned int button) const override
    {
        return connected.at(index).pressed.count(button) != 0;
    }
};
