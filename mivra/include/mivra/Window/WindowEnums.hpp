#pragma once

#include <cstdint>

namespace mivra
{
/// Window decoration flags, combined with |.
namespace Style
{
enum : std::uint32_t
{
    None = 0,                            ///< No decoration.
    Titlebar = 1 << 0,                   ///< A title bar.
    Resize = 1 << 1,                     ///< Resizable by the user.
    Close = 1 << 2,                      ///< A close button.
    Default = Titlebar | Resize | Close, ///< Title bar, resizing and close button.
};
} // namespace Style

/// Whether a window takes the whole screen.
enum class State
{
    Windowed,   ///< An ordinary window.
    Fullscreen, ///< The whole screen, in a full-screen video mode.
};
} // namespace mivra
