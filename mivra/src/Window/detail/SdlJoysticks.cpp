#include "SdlJoysticks.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>
#include <optional>
#include <string>

namespace mivra::detail
{
namespace
{
struct Slot
{
    SDL_Joystick* handle = nullptr;
    SDL_JoystickID instance = -1;
    bool announced = false;                            // JoystickConnected has been reported
    std::array<float, Joystick::AxisCount> reported{}; // last position reported per axis
};

struct Joysticks
{
    bool started = false;
    bool available = false;
    float threshold = 0.1f;
    std::array<Slot, Joystick::Count> slots{};
};

Joysticks& joysticks()
{
    static Joysticks instance;
    return instance;
}

// SDL's axis range -32768..32767 onto -100..100, with 0 staying 0.
float axisPercent(Sint16 value)
{
    return value >= 0 ? static_cast<float>(value) * 100.f / 32767.f : static_cast<float>(value) * 100.f / 32768.f;
}

// A hat's direction as PovX (left -100, right 100) and PovY (up -100, down 100), like the stick.
std::array<float, 2> hatPercent(Uint8 hat)
{
    float x = 0.f;
    float y = 0.f;
    if (hat & SDL_HAT_LEFT)
        x = -100.f;
    if (hat & SDL_HAT_RIGHT)
        x = 100.f;
    if (hat & SDL_HAT_UP)
        y = -100.f;
    if (hat & SDL_HAT_DOWN)
        y = 100.f;
    return {x, y};
}

std::optional<unsigned int> slotOfInstance(SDL_JoystickID instance)
{
    const auto& slots = joysticks().slots;
    for (unsigned int i = 0; i < slots.size(); ++i)
        if (slots[i].handle && slots[i].instance == instance)
            return i;
    return std::nullopt;
}

float readAxis(SDL_Joystick* handle, Joystick::Axis axis)
{
    const int index = static_cast<int>(axis);
    if (index < sdlMappedAxisCount)
        return index < SDL_JoystickNumAxes(handle) ? axisPercent(SDL_JoystickGetAxis(handle, index)) : 0.f;
    if (SDL_JoystickNumHats(handle) < 1)
        return 0.f;
    return hatPercent(SDL_JoystickGetHat(handle, 0))[axis == Joystick::Axis::PovX ? 0 : 1];
}

// Opens the device with this SDL device index into the lowest free slot.
std::optional<unsigned int> open(int deviceIndex)
{
    const SDL_JoystickID instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (const auto existing = slotOfInstance(instance))
        return existing;
    auto& slots = joysticks().slots;
    const auto free = std::find_if(slots.begin(), slots.end(), [](const Slot& s) { return s.handle == nullptr; });
    if (free == slots.end())
    {
        // The device may have gone again since SDL announced it, and then it has no name.
        const char* name = SDL_JoystickNameForIndex(deviceIndex);
        reportDiagnostic("ignoring joystick", name ? name : "device " + std::to_string(deviceIndex),
                         std::to_string(Joystick::Count) + " joysticks are connected already");
        return std::nullopt;
    }
    SDL_Joystick* handle = SDL_JoystickOpen(deviceIndex);
    if (!handle)
    {
        reportDiagnostic("cannot open the joystick", std::to_string(deviceIndex), SDL_GetError());
        return std::nullopt;
    }
    *free = Slot{handle, SDL_JoystickInstanceID(handle), false, {}};
    for (unsigned int a = 0; a < Joystick::AxisCount; ++a)
        free->reported[a] = readAxis(handle, static_cast<Joystick::Axis>(a));
    return static_cast<unsigned int>(free - slots.begin());
}

void reportMove(std::vector<Event>& out, unsigned int joystick, Joystick::Axis axis, float position)
{
    Slot& slot = joysticks().slots[joystick];
    float& reported = slot.reported[static_cast<std::size_t>(axis)];
    if (std::abs(position - reported) < joysticks().threshold)
        return;
    reported = position;
    out.emplace_back(Event::JoystickMoved{joystick, axis, position});
}
} // namespace

bool ensureSdlJoysticks()
{
    Joysticks& j = joysticks();
    if (j.started)
        return j.available;
    j.started = true;
    // An inspector wants its joysticks also while another window has the focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Joysticks may be asked for before any window exists, and their subsystem brings SDL's event
    // queue up: keep SIGINT and SIGTERM ending the process, as the video start does.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0)
    {
        reportDiagnostic("joysticks are unavailable", {}, SDL_GetError());
        return false;
    }
    j.available = true;
    const int devices = SDL_NumJoysticks();
    for (int i = 0; i < devices; ++i)
        (void)open(i);
    return true;
}

bool isSdlJoystickEvent(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
    case SDL_JOYAXISMOTION:
    case SDL_JOYHATMOTION:
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
    case SDL_JOYBALLMOTION: return true;
    default: return false;
    }
}

void translateSdlJoystickEvent(const SDL_Event& event, std::vector<Event>& out)
{
    if (!ensureSdlJoysticks())
        return;
    switch (event.type)
    {
    case SDL_JOYDEVICEADDED: {
        // Devices present at start were opened already; their arrival is still announced once.
        const auto joystick = open(event.jdevice.which);
        if (joystick && !joysticks().slots[*joystick].announced)
        {
            joysticks().slots[*joystick].announced = true;
            out.emplace_back(Event::JoystickConnected{*joystick});
        }
        break;
    }
    case SDL_JOYDEVICEREMOVED: {
        if (const auto joystick = slotOfInstance(event.jdevice.which))
        {
            Slot& slot = joysticks().slots[*joystick];
            SDL_JoystickClose(slot.handle);
            slot = Slot{};
            out.emplace_back(Event::JoystickDisconnected{*joystick});
        }
        break;
    }
    case SDL_JOYAXISMOTION: {
        const auto joystick = slotOfInstance(event.jaxis.which);
        if (joystick && event.jaxis.axis < sdlMappedAxisCount)
            reportMove(out, *joystick, static_cast<Joystick::Axis>(event.jaxis.axis), axisPercent(event.jaxis.value));
        break;
    }
    case SDL_JOYHATMOTION: {
        const auto joystick = slotOfInstance(event.jhat.which);
        if (joystick && event.jhat.hat == 0)
        {
            const auto [x, y] = hatPercent(event.jhat.value);
            reportMove(out, *joystick, Joystick::Axis::PovX, x);
            reportMove(out, *joystick, Joystick::Axis::PovY, y);
        }
        break;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
        const auto joystick = slotOfInstance(event.jbutton.which);
        if (!joystick || event.jbutton.button >= Joystick::ButtonCount)
            break;
        if (event.type == SDL_JOYBUTTONDOWN)
            out.emplace_back(Event::JoystickButtonPressed{*joystick, event.jbutton.button});
        else
            out.emplace_back(Event::JoystickButtonReleased{*joystick, event.jbutton.button});
        break;
    }
    default: break;
    }
}

SDL_Joystick* openedSdlJoystick(unsigned int joystick)
{
    if (!ensureSdlJoysticks() || joystick >= Joystick::Count)
        return nullptr;
    return joysticks().slots[joystick].handle;
}

float readSdlJoystickAxis(SDL_Joystick* joystick, Joystick::Axis axis)
{
    return readAxis(joystick, axis);
}

void setJoystickThreshold(float threshold)
{
    joysticks().threshold = std::clamp(threshold, 0.f, 100.f);
}

float getJoystickThreshold()
{
    return joysticks().threshold;
}
} // namespace mivra::detail
