#pragma once

#include "Platform.hpp"

#include <chrono>
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
    bool usesSdl;                           // runs on SDL's video, which serves one entry per process
};

// Every backend, in the order they are tried.
std::span<const BackendEntry> backendTable();

// The backend for a request: the entry of that id, or, for an empty request or one that names
// no backend (said once through the diagnostics sink, with the known names), the first that
// connects among those not kept for requests. Nothing when none does.
const BackendEntry* chooseBackend(std::string_view requested);

// Makes the process's choice (see platform()), and where that is no SDL entry the automatic
// choice among SDL's, so that SDL's video driver is set before SDL's video first comes up,
// whatever brings it up.
void chooseDisplayServer();

// The backends' names, comma-separated in table order.
std::string knownBackends();

// Whether the compositor WAYLAND_DISPLAY names accepts a connection and answers a round trip
// within `deadline`. One that accepts and stays silent is said through the diagnostics sink.
bool waylandCompositorAnswers(std::chrono::milliseconds deadline = std::chrono::seconds(2));

// The backend platform() serves: the one forced by forceBackend(), otherwise the process's
// choice, made once from MIVRA_WINDOW_BACKEND (read then, and only then) as chooseBackend() makes
// it. Nothing when no backend connects.
const BackendEntry* chosenBackend();

// Puts the backend of that id in place of the process's choice, for tests; an empty id gives the
// process's choice back.
void forceBackend(std::string_view id);

// The platform of chosenBackend(), connected on first use and kept for the process; one whose
// windows never open when no backend connects.
Platform& platform();

// Opens a window on platform(), with an OpenGL context when `settings` is given. Nothing when
// the window cannot be opened; the backend has said why.
std::unique_ptr<WindowImpl> createWindowImpl(VideoMode mode, const String& title, std::uint32_t style, State state,
                                             const ContextSettings* settings);
} // namespace mivra::detail
