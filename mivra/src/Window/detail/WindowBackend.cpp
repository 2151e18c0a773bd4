#include "WindowBackend.hpp"

#include "NullPlatform.hpp"
#include "SdlPlatform.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <array>
#include <cstdlib>
#include <mutex>

namespace mivra::detail
{
namespace
{
std::unique_ptr<Platform> connectSdl()
{
    // SDL's video comes up on first need and picks the display server itself; a process with no
    // display learns it from the window that cannot open, as it would without this library.
    return std::make_unique<SdlPlatform>();
}

std::unique_ptr<Platform> connectNull()
{
    return std::make_unique<NullPlatform>();
}

// The one table of backends. MIVRA_WINDOW_BACKEND=null gives windows with no display behind
// them; any other value, or none, gives SDL's (which honour SDL_VIDEODRIVER).
constexpr std::array<BackendEntry, 2> backends{{
    {"sdl", &connectSdl, false},
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

std::span<const BackendEntry> backendTable()
{
    return backends;
}

const BackendEntry* chooseBackend(std::string_view requested)
{
    for (const BackendEntry& entry : backends)
        if (entry.id == requested)
            return connected(entry) ? &entry : nullptr;
    for (const BackendEntry& entry : backends)
        if (!entry.onRequestOnly && connected(entry))
            return &entry;
    return nullptr;
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
