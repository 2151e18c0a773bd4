#pragma once

#include <mivra/System/String.hpp>

namespace mivra::Joystick
{
inline constexpr unsigned int Count = 8;        ///< joysticks handled at once
inline constexpr unsigned int ButtonCount = 32; ///< buttons per joystick
inline constexpr unsigned int AxisCount = 8;    ///< axes per joystick

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

/// Who made a joystick and what it is called.
struct Identification
{
    String name{"No Joystick"}; ///< The name the device gives, "No Joystick" when none is connected.
    unsigned int vendorId{};    ///< The USB vendor id, 0 when unknown.
    unsigned int productId{};   ///< The USB product id, 0 when unknown.
};

/// Joysticks are numbered 0 to Count - 1: a device keeps the lowest number free when it was
/// connected for as long as it stays connected. The state is the one the window events last
/// brought in (or, before any window, the state at the first query).
[[nodiscard]] bool isConnected(unsigned int joystick);
/// Name, vendor and product; "No Joystick" and zeros for a joystick that is not connected.
[[nodiscard]] Identification getIdentification(unsigned int joystick);
/// At most ButtonCount; 0 for a joystick that is not connected.
[[nodiscard]] unsigned int getButtonCount(unsigned int joystick);
/// X, Y, Z, R, U, V are the device's first six axes; PovX and PovY its first hat.
[[nodiscard]] bool hasAxis(unsigned int joystick, Axis axis);
/// -100 to 100; a hat gives -100 (left, up), 0 or 100 (right, down). 0 for a missing axis.
[[nodiscard]] float getAxisPosition(unsigned int joystick, Axis axis);
[[nodiscard]] bool isButtonPressed(unsigned int joystick, unsigned int button);
} // namespace mivra::Joystick
