#include "SdlWindowImpl.hpp"

#include <mivra/System/Diagnostics.hpp>

#include "GlContext.hpp"
#include "SdlEventTranslation.hpp"
#include "TouchState.hpp"
#include "X11Pointer.hpp"

#include <SDL.h>
#include <SDL_syswm.h>

#include <optional>

namespace mivra::detail
{
std::unique_ptr<SdlWindowImpl> SdlWindowImpl::create(VideoMode mode, const String& title, std::uint32_t style,
                                                     State state, const ContextSettings* settings)
{
    std::unique_ptr<SdlWindowImpl> impl(new SdlWindowImpl);
    if (!impl->m_video.isAvailable())
        return nullptr;

    Uint32 flags = 0;
    if (state == State::Fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN;
    else if ((style & (Style::Titlebar | Style::Close)) == 0)
        flags |= SDL_WINDOW_BORDERLESS;
    if ((style & Style::Resize) != 0)
        flags |= SDL_WINDOW_RESIZABLE;
    // Sizes stay logical while the drawable follows the output's scale (Wayland; X11 stays at 1).
    flags |= SDL_WINDOW_ALLOW_HIGHDPI;

    const int width = static_cast<int>(mode.size.x);
    const int height = static_cast<int>(mode.size.y);
    const std::string utf8Title = title.toUtf8();

    std::optional<SharedContextScope> sharing;
    if (settings)
    {
        // SDL picks the window's pixel format from the GL attributes at creation time, and
        // shares the new context with the one current then.
        flags |= SDL_WINDOW_OPENGL;
        keepGlLibraryLoaded();
        sharing.emplace();
        ContextSettings request = *settings;
        for (int attempt = 0; attempt < 2 && !impl->m_window; ++attempt)
        {
            applyContextAttributes(request);
            SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, sharing->isSharing() ? 1 : 0);
            impl->m_window = SDL_CreateWindow(utf8Title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                              height, flags);
            // Multisampling and sRGB are the requests a driver most often refuses: retry without.
            request.antiAliasingLevel = 0;
            request.sRgbCapable = false;
        }
    }
    else
    {
        impl->m_window = SDL_CreateWindow(utf8Title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                          height, flags);
    }
    if (!impl->m_window)
    {
        reportDiagnostic("cannot open the window", "\"" + utf8Title + "\"", SDL_GetError());
        return nullptr;
    }
    if (settings)
    {
        impl->m_context = SDL_GL_CreateContext(impl->m_window);
        if (!impl->m_context)
        {
            reportDiagnostic("cannot create the OpenGL context of the window", "\"" + utf8Title + "\"", SDL_GetError());
            return nullptr;
        }
        impl->m_settings = queryCurrentContextSettings();
    }

    if (const auto pointer = queryX11Pointer())
        impl->m_lastPointer = pointer->position - impl->getPosition();

    impl->m_reportedSize = impl->getSize();
    impl->m_windowId = SDL_GetWindowID(impl->m_window);
    registerSdlWindow(impl->m_windowId, impl.get());
    return impl;
}

SdlWindowImpl::~SdlWindowImpl()
{
    if (m_windowId != 0)
        unregisterSdlWindow(m_windowId);
    if (m_context)
        SDL_GL_DeleteContext(m_context);
    if (m_window)
        SDL_DestroyWindow(m_window);
}

void SdlWindowImpl::handleSdlEvent(const SDL_Event& event)
{
    if (event.type == SDL_KEYDOWN && event.key.repeat != 0 && !isKeyRepeatEnabled())
        return;
    if (event.type == SDL_MOUSEMOTION && event.motion.which != SDL_TOUCH_MOUSEID)
    {
        const Vector2i position{event.motion.x, event.motion.y};
        if (m_lastPointer == position)
            return;
        m_lastPointer = position;
    }
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
    {
        const Vector2u size{static_cast<unsigned int>(event.window.data1),
                            static_cast<unsigned int>(event.window.data2)};
        if (size == m_reportedSize)
            return;
        m_reportedSize = size;
    }
    TranslationContext context;
    context.windowSize = getSize();
    context.windowPosition = getPosition();
    context.touches = &TouchState::instance();
    m_translated.clear();
    translateSdlEvent(event, context, m_translated);
    for (const Event& translated : m_translated)
        pushEvent(translated);
}

void SdlWindowImpl::processEvents()
{
    pumpSdlEvents();
}

Vector2i SdlWindowImpl::getPosition() const
{
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(m_window, &x, &y);
    return {x, y};
}

void SdlWindowImpl::setPosition(Vector2i position)
{
    SDL_SetWindowPosition(m_window, position.x, position.y);
}

Vector2u SdlWindowImpl::getSize() const
{
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(m_window, &width, &height);
    return {static_cast<unsigned int>(width), static_cast<unsigned int>(height)};
}

Vector2u SdlWindowImpl::getPhysicalSize() const
{
    if (!m_context)
        return getSize();
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(m_window, &width, &height);
    return {static_cast<unsigned int>(width), static_cast<unsigned int>(height)};
}

void SdlWindowImpl::setSize(Vector2u size)
{
    SDL_SetWindowSize(m_window, static_cast<int>(size.x), static_cast<int>(size.y));
    m_reportedSize = getSize();
}

void SdlWindowImpl::setTitle(const String& title)
{
    SDL_SetWindowTitle(m_window, title.toUtf8().c_str());
}

void SdlWindowImpl::setVisible(bool visible)
{
    if (visible)
        SDL_ShowWindow(m_window);
    else
        SDL_HideWindow(m_window);
}

void SdlWindowImpl::setMouseCursorVisible(bool visible)
{
    // SDL's cursor is global; the last window to ask decides.
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

bool SdlWindowImpl::hasFocus() const
{
    return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void SdlWindowImpl::requestFocus()
{
    SDL_RaiseWindow(m_window);
}

std::uint64_t SdlWindowImpl::getNativeHandle() const
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(m_window, &info) != SDL_TRUE)
        return 0;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11)
        return static_cast<std::uint64_t>(info.info.x11.window);
#endif
    return 0;
}

bool SdlWindowImpl::setActive(bool active)
{
    if (!m_context)
        return false;
    if (!active)
        return SDL_GL_GetCurrentContext() != m_context || SDL_GL_MakeCurrent(m_window, nullptr) == 0;
    if (SDL_GL_GetCurrentContext() == m_context && SDL_GL_GetCurrentWindow() == m_window)
        return true;
    if (SDL_GL_MakeCurrent(m_window, m_context) != 0)
    {
        reportDiagnostic("cannot activate the window's OpenGL context", {}, SDL_GetError());
        return false;
    }
    return true;
}

void SdlWindowImpl::swapBuffers()
{
    if (m_context)
        SDL_GL_SwapWindow(m_window);
}

bool SdlWindowImpl::setVerticalSync(bool enabled)
{
    if (!setActive(true))
        return false;
    return SDL_GL_SetSwapInterval(enabled ? 1 : 0) == 0;
}

int SdlWindowImpl::getRefreshRate() const
{
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(m_window, &mode) != 0)
        return 0;
    return mode.refresh_rate;
}
} // namespace mivra::detail
