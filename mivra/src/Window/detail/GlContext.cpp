#include "GlContext.hpp"

#include <mivra/System/Diagnostics.hpp>

#include <SDL.h>

#include <cstdio>
#include <optional>

namespace mivra::detail
{
namespace
{
constexpr unsigned int GlVersion = 0x1F02;
constexpr unsigned int GlContextFlags = 0x821E;
constexpr unsigned int GlContextFlagDebugBit = 0x2;
constexpr unsigned int GlContextProfileMask = 0x9126;
constexpr unsigned int GlContextCoreProfileBit = 0x1;

std::recursive_mutex& creationMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

// The root of the share group; lives until the process ends so objects survive every window.
std::unique_ptr<GlContext>& rootContext()
{
    static std::unique_ptr<GlContext> root;
    return root;
}
bool rootFailed = false;
} // namespace

bool keepGlLibraryLoaded()
{
    // Deliberately never released: the video subsystem and the driver stay until the process
    // ends. Quitting them from a static destructor would unload the driver's libraries while
    // exit handlers (leak checkers among them) still look at memory they own.
    static const SdlVideo* const video = new SdlVideo;
    static const bool loaded = video->isAvailable() && SDL_GL_LoadLibrary(nullptr) == 0;
    return loaded;
}

bool isAnyGlContextCurrent()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GL_GetCurrentContext() != nullptr;
}

bool isGlExtensionSupported(const char* name)
{
    return SDL_GL_ExtensionSupported(name) == SDL_TRUE;
}

void (*getGlProcAddress(const char* name))()
{
    return reinterpret_cast<void (*)()>(SDL_GL_GetProcAddress(name));
}

void applyContextAttributes(const ContextSettings& request)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, static_cast<int>(request.depthBits));
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, static_cast<int>(request.stencilBits));
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, request.antiAliasingLevel > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, static_cast<int>(request.antiAliasingLevel));
    SDL_GL_SetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, request.sRgbCapable ? 1 : 0);

    // A 1.x or 2.x request leaves the version open: drivers then give their highest
    // compatibility version. From 3.0 on the version, profile and flags are asked for.
    const bool core = (request.attributeFlags & ContextSettings::Core) != 0;
    const bool debug = (request.attributeFlags & ContextSettings::Debug) != 0;
    if (request.majorVersion >= 3)
    {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, static_cast<int>(request.majorVersion));
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, static_cast<int>(request.minorVersion));
        const bool profiles = request.majorVersion > 3 || request.minorVersion >= 2;
        if (profiles)
            SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK,
                                core ? SDL_GL_CONTEXT_PROFILE_CORE : SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, debug ? SDL_GL_CONTEXT_DEBUG_FLAG : 0);
}

ContextSettings queryCurrentContextSettings()
{
    ContextSettings settings;
    int value = 0;
    if (SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &value) == 0)
        settings.depthBits = static_cast<unsigned int>(value);
    if (SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &value) == 0)
        settings.stencilBits = static_cast<unsigned int>(value);
    if (SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &value) == 0)
        settings.antiAliasingLevel = static_cast<unsigned int>(value);
    if (SDL_GL_GetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, &value) == 0)
        settings.sRgbCapable = value != 0;

    using GetString = const unsigned char* (*)(unsigned int);
    using GetIntegerv = void (*)(unsigned int, int*);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    auto getIntegerv = reinterpret_cast<GetIntegerv>(SDL_GL_GetProcAddress("glGetIntegerv"));
    if (getString)
    {
        if (const auto* version = reinterpret_cast<const char*>(getString(GlVersion)))
        {
            unsigned int major = 1;
            unsigned int minor = 1;
            if (std::sscanf(version, "%u.%u", &major, &minor) == 2)
            {
                settings.majorVersion = major;
                settings.minorVersion = minor;
            }
        }
    }
    if (getIntegerv && (settings.majorVersion > 3 || (settings.majorVersion == 3 && settings.minorVersion >= 2)))
    {
        int mask = 0;
        getIntegerv(GlContextProfileMask, &mask);
        if ((static_cast<unsigned int>(mask) & GlContextCoreProfileBit) != 0)
            settings.attributeFlags |= ContextSettings::Core;
    }
    if (getIntegerv && settings.majorVersion >= 3)
    {
        int flags = 0;
        getIntegerv(GlContextFlags, &flags);
        if ((static_cast<unsigned int>(flags) & GlContextFlagDebugBit) != 0)
            settings.attributeFlags |= ContextSettings::Debug;
    }
    return settings;
}

SharedContextScope::SharedContextScope() : m_lock(creationMutex())
{
    auto& root = rootContext();
    if (!root && !rootFailed)
    {
        root = GlContext::create({}, false);
        rootFailed = !root;
    }
    if (root && root->setActive(true))
    {
        m_sharing = true;
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    }
}

SharedContextScope::~SharedContextScope()
{
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
}

std::unique_ptr<GlContext> GlContext::create(const ContextSettings& request, bool shareWithOthers)
{
    std::unique_ptr<GlContext> context(new GlContext);
    if (!context->m_video.isAvailable())
        return nullptr;

    keepGlLibraryLoaded();
    std::optional<SharedContextScope> sharing;
    std::unique_lock lock(creationMutex(), std::defer_lock);
    if (shareWithOthers)
        sharing.emplace();
    else
        lock.lock();

    applyContextAttributes(request);
    if (sharing)
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, sharing->isSharing() ? 1 : 0);
    context->m_window = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (context->m_window)
        context->m_context = SDL_GL_CreateContext(context->m_window);
    if (!context->m_context)
    {
        // The root's failure shows as the failure of whatever needed it; don't say it twice.
        if (shareWithOthers)
            reportDiagnostic("cannot create an OpenGL context", {}, SDL_GetError());
        return nullptr;
    }
    context->m_settings = queryCurrentContextSettings();
    return context;
}

GlContext::~GlContext()
{
    if (m_context)
        SDL_GL_DeleteContext(m_context);
    if (m_window)
        SDL_DestroyWindow(m_window);
}

bool GlContext::setActive(bool active)
{
    if (!active)
        return !isCurrent() || SDL_GL_MakeCurrent(m_window, nullptr) == 0;
    return SDL_GL_MakeCurrent(m_window, m_context) == 0;
}

bool GlContext::isCurrent() const
{
    return m_context && SDL_GL_GetCurrentContext() == m_context;
}
} // namespace mivra::detail
