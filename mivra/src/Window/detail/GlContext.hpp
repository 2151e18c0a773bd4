#pragma once

#include "SdlVideo.hpp"

#include <mivra/Window/ContextSettings.hpp>

#include <memory>
#include <mutex>

struct SDL_Window;

namespace mivra::detail
{
// Loads the OpenGL driver once and keeps it, with the video subsystem, for the rest of the
// process; false when there is none. SDL would otherwise unload it with the last OpenGL window, and the next window would
// pay for loading it again (a quarter of a second with a software renderer).
bool keepGlLibraryLoaded();

// Sets every SDL OpenGL attribute for a request (SDL keeps them globally until changed).
void applyContextAttributes(const ContextSettings& request);
// The settings of the context current on this thread, as the driver reports them.
ContextSettings queryCurrentContextSettings();

// Whether some OpenGL context is current on this thread (a window's or a hidden one).
bool isAnyGlContextCurrent();
// For the context current on this thread.
bool isGlExtensionSupported(const char* name);
void (*getGlProcAddress(const char* name))();

// While alive, the next context SDL creates shares its objects with every other context: the
// process's shared root context (created on first need on a hidden window) is current and SDL
// is told to share with it. Context creation is serialised by the lock held meanwhile.
class SharedContextScope
{
public:
    SharedContextScope();
    ~SharedContextScope();
    SharedContextScope(const SharedContextScope&) = delete;
    SharedContextScope& operator=(const SharedContextScope&) = delete;

    // False when there is no root context: the next context then shares nothing.
    [[nodiscard]] bool isSharing() const { return m_sharing; }

private:
    std::unique_lock<std::recursive_mutex> m_lock;
    bool m_sharing{};
};

// An OpenGL context on a hidden window of its own.
class GlContext
{
public:
    // Creates the context (sharing with all others unless `shareWithOthers` is false) and makes
    // it current; nothing on failure, reported on stderr.
    static std::unique_ptr<GlContext> create(const ContextSettings& request, bool shareWithOthers = true);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    bool setActive(bool active);
    [[nodiscard]] const ContextSettings& getSettings() const { return m_settings; }
    [[nodiscard]] bool isCurrent() const;

private:
    GlContext() = default;

    SdlVideo m_video;
    SDL_Window* m_window{};
    void* m_context{};
    ContextSettings m_settings;
};
} // namespace mivra::detail
