#pragma once

#include "JoystickRows.hpp"

#include <mivra/Window/Event.hpp>
#include <mivra/Window/Joystick.hpp>

#include <optional>

namespace joystick
{
// The joystick an event speaks of, for the events that switch the display to it.
[[nodiscard]] inline std::optional<unsigned int> shownJoystickOf(const mivra::Event& event)
{
    if (const auto* e = event.getIf<mivra::Event::JoystickButtonPressed>())
        return e->joystickId;
    if (const auto* e = event.getIf<mivra::Event::JoystickButtonReleased>())
        return e->joystickId;
    if (const auto* e = event.getIf<mivra::Event::JoystickMoved>())
        return e->joystickId;
    if (const auto* e = event.getIf<mivra::Event::JoystickConnected>())
        return e->joystickId;
    return std::nullopt;
}

// The rows' reaction to one event: a button, move or connection of a joystick that is connected
// now shows that joystick; any disconnection resets the rows.
inline void applyJoystickEvent(const mivra::Event& event, JoystickRows& rows, const JoystickState& joysticks)
{
    if (event.is<mivra::Event::JoystickDisconnected>())
    {
        rows.resetRows();
        return;
    }
    const auto joystick = shownJoystickOf(event);
    if (joystick && joysticks.isConnected(*joystick))
        rows.showJoystick(*joystick, joysticks);
}
} // namespace joystick
