#pragma once

#include <cstdint>

namespace mivra
{
/// Window decoration flags, combined with |.
namespace Style
{
enum : std::uint32_t
{
    None = 0,
    Titlebar = 1 << 0,
    Resize = 1 << 1,
    Close = 1 << 2,
    Default = Titlebar | Resize | Close,
};
} // namespace Style

enum class State
{
    Windowed,
    Fullscreen,
};
} // namespace mivra
