#include "X11Pointer.hpp"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstring>
#include <mutex>

namespace mivra::detail
{
std::optional<PointerState> queryX11Pointer()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0)
        return std::nullopt;

    static std::mutex mutex;
    // Opened on first need and kept for the process: a query is one round trip.
    static Display* const display = XOpenDisplay(nullptr);
    if (!display)
        return std::nullopt;

    const std::lock_guard lock(mutex);
    ::Window root = 0;
    ::Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask))
        return std::nullopt;

    PointerState state;
    state.position = {rootX, rootY};
    if (mask & Button1Mask)
        state.buttons |= 1u << 0;
    if (mask & Button2Mask)
        state.buttons |= 1u << 1;
    if (mask & Button3Mask)
        state.buttons |= 1u << 2;
    // The core protocol keeps no state for the side buttons (8 and 9).
    return state;
}
} // namespace mivra::detail
