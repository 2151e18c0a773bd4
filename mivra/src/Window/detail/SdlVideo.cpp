#include "SdlVideo.hpp"

#include <mivra/System/Diagnostics.hpp>

#include "SdlJoysticks.hpp"
#include "WindowBackend.hpp"
#include "WaylandRawMouse.hpp"
#include "X11RawMouse.hpp"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace mivra::detail
{
namespace
{
std::mutex& videoMutex()
{
    static std::mutex mutex;
    return mutex;
}
int videoReferences = 0;
bool failureReported = false;

struct Router
{
    std::map<std::uint32_t, SdlEventReceiver*> windows;
    std::unique_ptr<RawMouse> rawMouse;
    std::vector<Vector2i> rawDeltas;
    std::vector<Event> joystickEvents;
};

Router& router()
{
    static Router instance;
    return instance;
}

// The display asked for, to name it in failures; empty when none is set.
std::string displayName()
{
    const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool wayland = driver && std::strcmp(driver, "wayland") == 0;
    const char* name = std::getenv(wayland ? "WAYLAND_DISPLAY" : "DISPLAY");
    return name ? name : "";
}

std::uint32_t windowIdOf(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_WINDOWEVENT: return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    case SDL_FINGERDOWN:
    case SDL_FINGERUP:
    case SDL_FINGERMOTION: return event.tfinger.windowID;
    default: return 0;
    }
}
// Raw motion as the display server under SDL gives it; nothing where it gives none.
std::unique_ptr<RawMouse> openRawMouse(std::uint32_t windowId)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(SDL_GetWindowFromID(windowId), &info) != SDL_TRUE)
        return nullptr;
    switch (info.subsystem)
    {
    case SDL_SYSWM_X11: return X11RawMouse::open();
    case SDL_SYSWM_WAYLAND: return WaylandRawMouse::open(info.info.wl.display);
    default: return nullptr;
    }
}
} // namespace

SdlVideo::SdlVideo()
{
    // Whoever brings SDL's video up first (a window, or a context made before any window), the
    // display server is the one the backend table chooses.
    chooseDisplayServer();
    const std::lock_guard lock(videoMutex());
    if (videoReferences == 0)
    {
        // SDL would otherwise turn SIGINT/SIGTERM into a quit event nobody reads, and the
        // process would no longer end on them.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // Touches are reported as touches, not also as mouse clicks, and the other way round.
        SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
        SDL_SetHint(SDL_HINT_MOUSE_TOUCH_EVENTS, "0");
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        {
            const bool noServerNamed = !SDL_getenv("SDL_VIDEODRIVER") && displayName().empty();
            if (!failureReported)
                reportDiagnostic("cannot open the display", displayName(),
                                 noServerNamed ? "no display server answered (is DISPLAY or WAYLAND_DISPLAY set?)"
                                               : SDL_GetError());
            failureReported = true;
            return;
        }
        // Without an explicit request SDL falls back to its offscreen driver when no display
        // server answers: windows would then open nowhere and a program run without a display
        // would go on invisibly instead of saying so.
        const char* driver = SDL_GetCurrentVideoDriver();
        const bool headless = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
        if (headless && !SDL_getenv("SDL_VIDEODRIVER"))
        {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            if (!failureReported)
                reportDiagnostic("cannot open the display", displayName(),
                                 "no display server answered (is DISPLAY or WAYLAND_DISPLAY set?)");
            failureReported = true;
            return;
        }
    }
    ++videoReferences;
    m_available = true;
}

SdlVideo::~SdlVideo()
{
    if (!m_available)
        return;
    const std::lock_guard lock(videoMutex());
    if (--videoReferences == 0)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool ensureSdlVideo()
{
    static const SdlVideo keepAlive;
    return keepAlive.isAvailable();
}

void registerSdlWindow(std::uint32_t windowId, SdlEventReceiver* window)
{
    Router& r = router();
    r.windows[windowId] = window;
    ensureSdlJoysticks(); // joystick events flow from the first window on
    if (!r.rawMouse)
        r.rawMouse = openRawMouse(windowId);
}

void unregisterSdlWindow(std::uint32_t windowId)
{
    Router& r = router();
    r.windows.erase(windowId);
    if (r.windows.empty())
        r.rawMouse.reset();
}

void pumpSdlEvents()
{
    Router& r = router();
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
    {
        if (isSdlJoystickEvent(event))
        {
            // Translated once (joystick numbering and threshold are the process's), seen by every window.
            r.joystickEvents.clear();
            translateSdlJoystickEvent(event, r.joystickEvents);
            for (const Event& translated : r.joystickEvents)
                for (auto& [windowId, window] : r.windows)
                    window->receiveEvent(translated);
            continue;
        }
        const std::uint32_t id = windowIdOf(event);
        if (id != 0)
        {
            if (auto it = r.windows.find(id); it != r.windows.end())
                it->second->handleSdlEvent(event);
            continue;
        }
        // Events that belong to no window (devices) go to every window.
        for (auto& [windowId, window] : r.windows)
            window->handleSdlEvent(event);
    }

    if (r.rawMouse)
    {
        r.rawDeltas.clear();
        r.rawMouse->read(r.rawDeltas);
        // Raw motion belongs to the device, not to a window: every window sees it.
        for (const Vector2i delta : r.rawDeltas)
            for (auto& [windowId, window] : r.windows)
                window->receiveEvent(Event::MouseMovedRaw{delta});
    }
}
} // namespace mivra::detail
