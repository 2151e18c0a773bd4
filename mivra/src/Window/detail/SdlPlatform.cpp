#include "SdlPlatform.hpp"

#include "SdlJoysticks.hpp"
#include "SdlKeyboardMap.hpp"
#include "SdlVideo.hpp"
#include "SdlWindowImpl.hpp"
#include "X11Pointer.hpp"

#include <SDL.h>

#include <algorithm>
#include <chrono>

namespace mivra::detail
{
namespace
{
// SDL refreshes the key state as it pumps events. Pumping here as well keeps the answer live
// in a loop that polls no events; once a millisecond is enough, and spares a caller that asks
// for every key in turn (a pump costs about 14 us under X11).
void refreshKeyState()
{
    using Clock = std::chrono::steady_clock;
    static Clock::time_point lastPump;
    const Clock::time_point now = Clock::now();
    if (now - lastPump >= std::chrono::milliseconds(1))
    {
        SDL_PumpEvents();
        lastPump = now;
    }
}

VideoMode videoModeFromSdl(const SDL_DisplayMode& mode)
{
    return VideoMode({static_cast<unsigned int>(mode.w), static_cast<unsigned int>(mode.h)},
                     SDL_BYTESPERPIXEL(mode.format) * 8u);
}
} // namespace

std::unique_ptr<WindowImpl> SdlPlatform::createWindow(VideoMode mode, const String& title, std::uint32_t style,
                                                      State state, const ContextSettings* settings)
{
    return SdlWindowImpl::create(mode, title, style, state, settings);
}

bool SdlPlatform::isKeyPressed(Keyboard::Scan code)
{
    const int sdlScancode = sdlFromScan(code);
    if (sdlScancode == SDL_SCANCODE_UNKNOWN || !ensureSdlVideo())
        return false;
    refreshKeyState();
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return sdlScancode < count && state[sdlScancode] != 0;
}

Keyboard::Key SdlPlatform::localize(Keyboard::Scan code)
{
    const int sdlScancode = sdlFromScan(code);
    if (sdlScancode == SDL_SCANCODE_UNKNOWN)
        return Keyboard::Key::Unknown;
    ensureSdlVideo();
    return keyFromSdl(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sdlScancode)));
}

Keyboard::Scan SdlPlatform::delocalize(Keyboard::Key key)
{
    const int sdlKeycode = sdlFromKey(key);
    if (sdlKeycode == SDLK_UNKNOWN)
        return Keyboard::Scan::Unknown;
    ensureSdlVideo();
    return scanFromSdl(SDL_GetScancodeFromKey(sdlKeycode));
}

String SdlPlatform::getCharacterKeyName(Keyboard::Scan code)
{
    ensureSdlVideo();
    return characterKeyName(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sdlFromScan(code))));
}

bool SdlPlatform::isMouseButtonPressed(Mouse::Button button)
{
    if (!ensureSdlVideo())
        return false;
    Uint32 state = 0;
    if (const auto pointer = queryX11Pointer())
    {
        // The X server's button n is SDL's button n, except the side buttons it cannot report.
        state = pointer->buttons;
        if (button == Mouse::Button::Extra1 || button == Mouse::Button::Extra2)
            state = SDL_GetGlobalMouseState(nullptr, nullptr);
    }
    else
        state = SDL_GetGlobalMouseState(nullptr, nullptr);
    switch (button)
    {
    case Mouse::Button::Left: return (state & SDL_BUTTON_LMASK) != 0;
    case Mouse::Button::Right: return (state & SDL_BUTTON_RMASK) != 0;
    case Mouse::Button::Middle: return (state & SDL_BUTTON_MMASK) != 0;
    case Mouse::Button::Extra1: return (state & SDL_BUTTON_X1MASK) != 0;
    case Mouse::Button::Extra2: return (state & SDL_BUTTON_X2MASK) != 0;
    }
    return false;
}

Vector2i SdlPlatform::getMousePosition()
{
    if (!ensureSdlVideo())
        return {};
    if (const auto pointer = queryX11Pointer())
        return pointer->position;
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return {x, y};
}

void SdlPlatform::setMousePosition(Vector2i position)
{
    if (ensureSdlVideo())
        SDL_WarpMouseGlobal(position.x, position.y);
}

bool SdlPlatform::isJoystickConnected(unsigned int joystick)
{
    return openedSdlJoystick(joystick) != nullptr;
}

Joystick::Identification SdlPlatform::getJoystickIdentification(unsigned int joystick)
{
    SDL_Joystick* handle = openedSdlJoystick(joystick);
    if (!handle)
        return {};
    const char* name = SDL_JoystickName(handle);
    return {String::fromUtf8(name ? name : ""), SDL_JoystickGetVendor(handle), SDL_JoystickGetProduct(handle)};
}

unsigned int SdlPlatform::getJoystickButtonCount(unsigned int joystick)
{
    SDL_Joystick* handle = openedSdlJoystick(joystick);
    if (!handle)
        return 0;
    return std::min(static_cast<unsigned int>(std::max(SDL_JoystickNumButtons(handle), 0)), Joystick::ButtonCount);
}

bool SdlPlatform::hasJoystickAxis(unsigned int joystick, Joystick::Axis axis)
{
    SDL_Joystick* handle = openedSdlJoystick(joystick);
    if (!handle)
        return false;
    const int index = static_cast<int>(axis);
    if (index >= 0 && index < sdlMappedAxisCount)
        return index < SDL_JoystickNumAxes(handle);
    return (axis == Joystick::Axis::PovX || axis == Joystick::Axis::PovY) && SDL_JoystickNumHats(handle) > 0;
}

float SdlPlatform::getJoystickAxisPosition(unsigned int joystick, Joystick::Axis axis)
{
    SDL_Joystick* handle = openedSdlJoystick(joystick);
    if (!handle || static_cast<unsigned int>(axis) >= Joystick::AxisCount)
        return 0.f;
    return readSdlJoystickAxis(handle, axis);
}

bool SdlPlatform::isJoystickButtonPressed(unsigned int joystick, unsigned int button)
{
    SDL_Joystick* handle = openedSdlJoystick(joystick);
    return handle && button < Joystick::ButtonCount && SDL_JoystickGetButton(handle, static_cast<int>(button)) != 0;
}

void SdlPlatform::setJoystickThreshold(float threshold)
{
    detail::setJoystickThreshold(threshold);
}

std::optional<VideoMode> SdlPlatform::getDesktopMode()
{
    SDL_DisplayMode mode;
    if (!ensureSdlVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return std::nullopt;
    return videoModeFromSdl(mode);
}

std::vector<VideoMode> SdlPlatform::getDisplayModes()
{
    std::vector<VideoMode> result;
    if (!ensureSdlVideo())
        return result;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i)
    {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0)
            result.push_back(videoModeFromSdl(mode));
    }
    return result;
}
} // namespace mivra::detail
