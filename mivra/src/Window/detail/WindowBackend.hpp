#pragma once

#include "Platform.hpp"

#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace mivra::detail
{
// One backend the window module can run on.
struct BackendEntry
{
    std::string_view id;                    // the name MIVRA_WINDOW_BACKEND gives it
    std::unique_ptr<Platform> (*connect)(); // nothing when the backend cannot serve this process
    bool onRequestOnly;                     // never picked unless named
};

// Every backend, in the order they are tried.
std::span<const BackendEntry> backendTable();

// The backend for a request: the entry of that id, or, for an empty request or one that names
// no backend (said once through the diagnostics sink, with the known names), the first that
// connects among those not kept for requests. Nothing when none does.
const BackendEntry* chooseBackend(std::string_view requested);

// Makes the automatic choice once (as chooseBackend("") does), so that SDL's video driver is set
// before SDL's video first comes up, whatever brings it up.
void chooseDisplayServer();

// The backends' names, comma-separated in table order.
std::string knownBackends();

// Whether the compositor WAYLAND_DISPLAY names accepts a connection and answers a round trip.
bool waylandCompositorAnswers();

// The platform of the backend MIVRA_WINDOW_BACKEND names (the default when unset), connected on
// first use and kept for the process. The variable is read at each call, so a test can put a
// single window on the null backend.
Platform& platform();

// Opens a window on platform(), with an OpenGL context when `settings` is given. Nothing when
// the window cannot be opened; the backend has said why.
std::unique_ptr<WindowImpl> createWindowImpl(VideoMode mode, const String& title, std::uint32_t style, State state,
                                             const ContextSettings* settings);
} // namespace mivra::detail
