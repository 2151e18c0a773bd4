#include "WindowBackend.hpp"

#include "NullPlatform.hpp"
#include "SdlPlatform.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <SDL.h>
#include <wayland-client.h>

#include <poll.h>

#include <array>
#include <atomic>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>

namespace mivra::detail
{
namespace
{
// An SDL entry: SDL's video, on `driver` (SDL's own choice when null). Whether SDL is still free
// for this entry is the chooser's decision (Chooser::sdlOwner).
std::unique_ptr<Platform> sdlOn(const char* driver)
{
    // SDL reads the hint when its video comes up; an override outranks SDL_VIDEODRIVER.
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
    // The entry that serves instead names its driver with a hint that outranks the variable.
    reportDiagnostic("unknown video driver, choosing one", std::string("SDL_VIDEODRIVER=").append(requested),
                     "the known ones are " + known);
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
    {"sdl", &connectRequestedSdl, false, true},
    {"wayland", &connectWayland, false, true},
    {"x11", &connectX11, false, true},
    {"null", &connectNull, true, false},
}};

// Each backend is connected at most once, and then serves until the process ends.
struct Chooser
{
    std::mutex mutex;
    std::array<std::unique_ptr<Platform>, backends.size()> platforms;
    std::array<bool, backends.size()> tried{};
    // SDL serves one display server per process: the first SDL entry that connects owns it, and
    // no other SDL entry connects after it.
    const BackendEntry* sdlOwner = nullptr;
    // The backend a test put in place of the process's choice; null for none.
    std::atomic<const BackendEntry*> forced{nullptr};
};

Chooser& chooser()
{
    static Chooser instance;
    return instance;
}

Platform* connected(const BackendEntry& entry)
{
    Chooser& c = chooser();
    const auto index = static_cast<std::size_t>(&entry - backends.data());
    const std::lock_guard lock(c.mutex);
    if (entry.usesSdl && c.sdlOwner && c.sdlOwner != &entry)
        return nullptr;
    if (!c.tried[index])
    {
        c.platforms[index] = entry.connect();
        c.tried[index] = true;
        if (entry.usesSdl && c.platforms[index])
            c.sdlOwner = &entry;
    }
    return c.platforms[index].get();
}

// The process's backend: the one MIVRA_WINDOW_BACKEND names, or the automatic choice. Made once,
// by whatever first needs a display (a window, a GL context, an input or video mode query).
const BackendEntry* processChoice()
{
    static const BackendEntry* const chosen = [] {
        const char* requested = std::getenv("MIVRA_WINDOW_BACKEND");
        return chooseBackend(requested ? requested : "");
    }();
    return chosen;
}

const BackendEntry* entryNamed(std::string_view id)
{
    for (const BackendEntry& entry : backends)
        if (entry.id == id)
            return &entry;
    return nullptr;
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

bool waylandCompositorAnswers(std::chrono::milliseconds deadline)
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
    // The round trip by hand, so that a compositor that accepts and never answers (frozen, or
    // stopped in a debugger) costs the deadline, not the whole start-up.
    bool answered = false;
    static constexpr wl_callback_listener onDone{
        [](void* data, wl_callback* /*callback*/, std::uint32_t /*serial*/) { *static_cast<bool*>(data) = true; }};
    wl_callback* sync = wl_display_sync(display);
    wl_callback_add_listener(sync, &onDone, &answered);
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!answered)
    {
        if (wl_display_prepare_read(display) != 0)
        {
            if (wl_display_dispatch_pending(display) < 0)
                break;
            continue;
        }
        if (wl_display_flush(display) < 0 && errno != EAGAIN)
        {
            wl_display_cancel_read(display);
            break;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd fd{wl_display_get_fd(display), POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&fd, 1, static_cast<int>(left.count())) : 0;
        if (ready <= 0)
        {
            wl_display_cancel_read(display);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready == 0)
                reportDiagnostic("no answer from the Wayland compositor, trying the next backend", name,
                                 "it accepted the connection but did not answer within " +
                                     std::to_string(deadline.count()) + " ms");
            break;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
            break;
    }
    wl_callback_destroy(sync);
    wl_display_disconnect(display);
    return answered;
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
    if (const BackendEntry* entry = entryNamed(requested))
        return connected(*entry) ? entry : nullptr;
    if (!requested.empty())
    {
        // Said once per name asked for.
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
    // The process's choice first: a GL context made before any window must not take SDL for
    // another display server than the one MIVRA_WINDOW_BACKEND names.
    if (const BackendEntry* chosen = processChoice(); chosen && chosen->usesSdl)
        return;
    // On the null backend (or none) SDL's video still serves GL contexts: on the automatic choice.
    static std::once_flag once;
    std::call_once(once, [] {
        for (const BackendEntry& entry : backends)
            if (entry.usesSdl && !entry.onRequestOnly && connected(entry))
                return;
    });
}

const BackendEntry* chosenBackend()
{
    const BackendEntry* forced = chooser().forced.load();
    return forced ? forced : processChoice();
}

void forceBackend(std::string_view id)
{
    const BackendEntry* entry = entryNamed(id);
    assert((id.empty() || entry) && "forceBackend: no backend of that name");
    chooser().forced.store(entry);
}

Platform& platform()
{
    const BackendEntry* entry = chosenBackend();
    Platform* chosen = entry ? connected(*entry) : nullptr;
    return chosen ? *chosen : unconnected();
}

std::unique_ptr<WindowImpl> createWindowImpl(VideoMode mode, const String& title, std::uint32_t style, State state,
                                             const ContextSettings* settings)
{
    return platform().createWindow(mode, title, style, state, settings);
}
} // namespace mivra::detail
