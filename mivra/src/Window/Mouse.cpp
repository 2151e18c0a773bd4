#include <mivra/Window/Mouse.hpp>
#include <mivra/Window/WindowBase.hpp>

#include "detail/SdlVideo.hpp"
#include "detail/X11Pointer.hpp"

#include <SDL.h>

namespace mivra
{
bool Mouse::isButtonPressed(Button button)
{
    if (!detail::ensureSdlVideo())
        return false;
    Uint32 state = 0;
    if (const auto pointer = detail::queryX11Pointer())
    {
        // The X server's button n is SDL's button n, except the side buttons it cannot report.
        state = pointer->buttons;
        if (button == Button::Extra1 || button == Button::Extra2)
            state = SDL_GetGlobalMouseState(nullptr, nullptr);
    }
    else
        state = SDL_GetGlobalMouseState(nullptr, nullptr);
    switch (button)
    {
        case Button::Left: return (state & SDL_BUTTON_LMASK) != 0;
        case Button::Right: return (state & SDL_BUTTON_RMASK) != 0;
        case Button::Middle: return (state & SDL_BUTTON_MMASK) != 0;
        case Button::Extra1: return (state & SDL_BUTTON_X1MASK) != 0;
        case Button::Extra2: return (state & SDL_BUTTON_X2MASK) != 0;
    }
    return false;
}

Vector2i Mouse::getPosition()
{
    if (!detail::ensureSdlVideo())
        return {};
    if (const auto pointer = detail::queryX11Pointer())
        return pointer->position;
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return {x, y};
}

Vector2i Mouse::getPosition(const WindowBase& relativeTo)
{
    return getPosition() - relativeTo.getPosition();
}

void Mouse::setPosition(Vector2i position)
{
    if (detail::ensureSdlVideo())
        SDL_WarpMouseGlobal(position.x, position.y);
}

void Mouse::setPosition(Vector2i position, const WindowBase& relativeTo)
{
    setPosition(position + relativeTo.getPosition());
}
} // namespace mivra
