#pragma once

#include "WindowImpl.hpp"

#include <mivra/System/String.hpp>
#include <mivra/Window/ContextSettings.hpp>
#include <mivra/Window/VideoMode.hpp>
#include <mivra/Window/WindowEnums.hpp>

#include <cstdint>
#include <memory>

namespace mivra::detail
{
// Opens a window on the backend this process uses, with an OpenGL context when `settings` is
// given. Nothing when the window cannot be opened; the backend has said why.
std::unique_ptr<WindowImpl> createWindowImpl(VideoMode mode,
                                             const String& title,
                                             std::uint32_t style,
                                             State state,
                                             const ContextSettings* settings);
} // namespace mivra::detail
