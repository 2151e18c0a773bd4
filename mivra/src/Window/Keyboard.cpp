#include <mivra/Window/Keyboard.hpp>

#include "detail/SdlKeyboardMap.hpp"
#include "detail/SdlVideo.hpp"

#include <SDL.h>

#include <chrono>

namespace mivra
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
} // namespace

bool Keyboard::isKeyPressed(Key key)
{
    return isKeyPressed(delocalize(key));
}

bool Keyboard::isKeyPressed(Scan code)
{
    const int sdlScancode = detail::sdlFromScan(code);
    if (sdlScancode == SDL_SCANCODE_UNKNOWN || !detail::ensureSdlVideo())
        return false;
    refreshKeyState();
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    return sdlScancode < count && state[sdlScancode] != 0;
}

Keyboard::Key Keyboard::localize(Scan code)
{
    const int sdlScancode = detail::sdlFromScan(code);
    if (sdlScancode == SDL_SCANCODE_UNKNOWN)
        return Key::Unknown;
    detail::ensureSdlVideo();
    return detail::keyFromSdl(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sdlScancode)));
}

Keyboard::Scan Keyboard::delocalize(Key key)
{
    const int sdlKeycode = detail::sdlFromKey(key);
    if (sdlKeycode == SDLK_UNKNOWN)
        return Scan::Unknown;
    detail::ensureSdlVideo();
    return detail::scanFromSdl(SDL_GetScancodeFromKey(sdlKeycode));
}

String Keyboard::getDescription(Scan code)
{
    if (code == Scan::Unknown)
        return {};
    if (detail::isCharacterScan(code))
    {
        detail::ensureSdlVideo();
        const SDL_Keycode typed = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(detail::sdlFromScan(code)));
        String name = detail::characterKeyName(typed);
        if (!name.isEmpty())
            return name;
    }
    return String(detail::fixedScanName(code));
}

void Keyboard::setVirtualKeyboardVisible(bool /*visible*/)
{
    // Desktops have no on-screen keyboard to show.
}
} // namespace mivra
