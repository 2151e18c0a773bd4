#include "WindowBackend.hpp"

#include "NullPlatform.hpp"
#include "SdlPlatform.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <SDL.h>
#include <wayland-client-core.h>

#include <array>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>

namespace mivra::detail
{
namespace
{
// SDL serves one display server per process: the first SDL entry that connects names it.
std::unique_ptr<Platform> sdlOn(const char* driver)
{
    static bool sdlTaken = false;
    if (sdlTaken)
        return nullptr;
    sdlTaken = true;
    // SDL reads the hint when its video comes up.
    if (driver)
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver, SDL_HINT_OVERRIDE);
    return std::make_unique<SdlPlatform>();
}

// The value of an environment variable; empty when unset.
std::string_view environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// SDL_VIDEODRIVER names SDL's display server: it overrides the choice below. A value SDL does
// not know would fail every window with an unhelpful message: it is said once and set aside.
std::unique_ptr<Platform> connectRequestedSdl()
{
    const std::string_view requested = environment("SDL_VIDEODRIVER");
    if (requested.empty())
        return nullptr;
    std::string known;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i)
    {
        const std::string_view name = SDL_GetVideoDriver(i);
        if (name == requested)
            return sdlOn(nullptr);
        known += known.empty() ? "" : ", ";
        known += name;
    }
    reportDiagnostic("unknown video driver, choosing one", std::string("SDL_VIDEODRIVER=").append(requested),
                     "the known ones are " + known);
    unsetenv("SDL_VIDEODRIVER");
    return nullptr;
}

// Native Wayland wherever a compositor answers, even where DISPLAY names an XWayland server:
// only there do windows get the output's scale and the compositor's own input paths.
std::unique_ptr<Platform> connectWayland()
{
    if (!waylandCompositorAnswers())
        return nullptr;
    return sdlOn("wayland");
}

std::unique_ptr<Platform> connectX11()
{
    // Without an X server the first window says so (SDL's video comes up on first need).
    return sdlOn("x11");
}

std::unique_ptr<Platform> connectNull()
{
    return std::make_unique<NullPlatform>();
}

// The one table of backends, in the order they are tried. MIVRA_WINDOW_BACKEND names one
// (null: windows with no display behind them, for tests); unset, the first that connects serves.
constexpr std::array<BackendEntry, 4> backends{{
    {"sdl", &connectRequestedSdl, false},
    {"wayland", &connectWayland, false},
    {"x11", &connectX11, false},
    {"null", &connectNull, true},
}};

// Each backend is connected at most once, and then serves until the process ends.
struct Connections
{
    std::mutex mutex;
    std::array<std::unique_ptr<Platform>, backends.size()> platforms;
    std::array<bool, backends.size()> tried{};
};

Connections& connections()
{
    static Connections instance;
    return instance;
}

Platform* connected(const BackendEntry& entry)
{
    Connections& c = connections();
    const auto index = static_cast<std::size_t>(&entry - backends.data());
    const std::lock_guard lock(c.mutex);
    if (!c.tried[index])
    {
        c.platforms[index] = entry.connect();
        c.tried[index] = true;
    }
    return c.platforms[index].get();
}

// Where no backend connects: nothing is pressed, and no window opens.
class Unconnected : public NullPlatform
{
public:
    std::unique_ptr<WindowImpl> createWindow(VideoMode /*mode*/, const String& title, std::uint32_t /*style*/,
                                             State /*state*/, const ContextSettings* /*settings*/) override
    {
        std::string quoted(1, '"');
        quoted += title.toUtf8() + '"';
        reportDiagnostic("cannot open the window", quoted, "no window backend is available");
        return nullptr;
    }
};

Platform& unconnected()
{
    static Unconnected none;
    return none;
}
} // namespace

bool waylandCompositorAnswers()
{
    // Connecting and a round trip tell a live compositor from a stale socket name. A relative
    // name lives in XDG_RUNTIME_DIR: without it there is nothing to connect to (and libwayland
    // would complain on standard error).
    const std::string_view name = environment("WAYLAND_DISPLAY");
    if (name.empty() || (name.front() != '/' && environment("XDG_RUNTIME_DIR").empty()))
        return false;
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    const bool answers = wl_display_roundtrip(display) >= 0;
    wl_display_disconnect(display);
    return answers;
}

std::span<const BackendEntry> backendTable()
{
    return backends;
}

std::string knownBackends()
{
    std::string known;
    for (const BackendEntry& entry : backends)
        known.append(known.empty() ? "" : ", ").append(entry.id);
    return known;
}

const BackendEntry* chooseBackend(std::string_view requested)
{
    for (const BackendEntry& entry : backends)
        if (entry.id == requested)
            return connected(entry) ? &entry : nullptr;
    if (!requested.empty())
    {
        // Said once per name asked for, not at every call that reads the variable.
        static std::mutex mutex;
        static std::set<std::string, std::less<>> reported;
        const std::lock_guard lock(mutex);
        if (reported.emplace(requested).second)
            reportDiagnostic("unknown window backend, choosing one",
                             std::string("MIVRA_WINDOW_BACKEND=").append(requested),
                             "the known ones are " + knownBackends());
    }
    for (const BackendEntry& entry : backends)
        if (!entry.onRequestOnly && connected(entry))
            return &entry;
    return nullptr;
}

void chooseDisplayServer()
{
    static std::once_flag once;
    std::call_once(once, [] { chooseBackend(""); });
}

Platform& platform()
{
    const char* requested = std::getenv("MIVRA_WINDOW_BACKEND");
    const BackendEntry* entry = chooseBackend(requested ? requested : "");
    Platform* chosen = entry ? connected(*entry) : nullptr;
    return chosen ? *chosen : unconnected();
}

std::unique_ptr<WindowImpl> createWindowImpl(VideoMode mode, const String& title, std::uint32_t style, State state,
                                             const ContextSettings* settings)
{
    return platform().createWindow(mode, title, style, state, settings);
}
} // namespace mivra::detail
