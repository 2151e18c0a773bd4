#pragma once

namespace mivra::Joystick
{
inline constexpr unsigned int Count = 8;        // joysticks handled at once
inline constexpr unsigned int ButtonCount = 32; // buttons per joystick
inline constexpr unsigned int AxisCount = 8;    // axes per joystick

enum class Axis
{
    X,
    Y,
    Z,
    R,
    U,
    V,
    PovX,
    PovY,
};
} // namespace mivra::Joystick
