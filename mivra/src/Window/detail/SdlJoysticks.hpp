#pragma once

#include <mivra/Window/Event.hpp>
#include <mivra/Window/Joystick.hpp>

#include <vector>

union SDL_Event;
struct _SDL_Joystick;

namespace mivra::detail
{
// Joysticks over SDL's joystick API. Each connected device holds one of the Joystick::Count
// slots, the lowest free one when it arrives, for as long as it stays connected; events and
// queries speak of devices by that slot.
//
// Everything here runs on the thread that pumps the window events.

// Starts SDL's joystick subsystem once for the process and takes in the devices already
// present. False when SDL cannot handle joysticks (reported once through the diagnostics sink).
bool ensureSdlJoysticks();

// Whether the SDL event is about a joystick (device added or removed, axis, hat, button).
[[nodiscard]] bool isSdlJoystickEvent(const SDL_Event& event);

// Translates a joystick event into the library's events, appended to `out`: connections and
// disconnections, button presses and releases, and moves of at least the joystick threshold.
void translateSdlJoystickEvent(const SDL_Event& event, std::vector<Event>& out);

// SDL's first six axes are X, Y, Z, R, U, V; its first hat gives PovX and PovY.
inline constexpr int sdlMappedAxisCount = 6;

// The open SDL joystick in a slot, nullptr when the slot is free or the index out of range.
[[nodiscard]] _SDL_Joystick* openedSdlJoystick(unsigned int joystick);
// An axis of an open joystick, -100 to 100 (0 for an axis it lacks).
[[nodiscard]] float readSdlJoystickAxis(_SDL_Joystick* joystick, Joystick::Axis axis);

// The smallest axis move reported as a JoystickMoved event, 0 to 100 (0.1 at start).
void setJoystickThreshold(float threshold);
[[nodiscard]] float getJoystickThreshold();
} // namespace mivra::detail
