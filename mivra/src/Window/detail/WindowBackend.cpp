#include "WindowBackend.hpp"

#include "NullWindowImpl.hpp"
#include "SdlWindowImpl.hpp"

#include <cstdlib>
#include <string_view>

namespace mivra::detail
{
// The one place that decides which backend a window is made on.
//
// MIVRA_WINDOW_BACKEND=null gives windows with no display behind them: they keep their
// properties, report no events of their own and draw nowhere. Window code can so be exercised
// where no display exists. Any other value, or none, gives SDL's windows (which themselves honour
// SDL_VIDEODRIVER). The variable is read at each window's creation, so a process can mix both.
std::unique_ptr<WindowImpl> createWindowImpl(VideoMode mode,
                                             const String& title,
                                             std::uint32_t style,
                                             State state,
                                             const ContextSettings* settings)
{
    const char* backend = std::getenv("MIVRA_WINDOW_BACKEND");
    if (backend && std::string_view(backend) == "null")
    {
        auto impl = std::make_unique<NullWindowImpl>(mode.size, settings != nullptr);
        impl->setTitle(title);
        return impl;
    }
    return SdlWindowImpl::create(mode, title, style, state, settings);
}
} // namespace mivra::detail
