#include <mivra/Window/Window.hpp>

#include "detail/WindowBackend.hpp"
#include "detail/WindowImpl.hpp"

#include <cassert>

namespace mivra
{
Window::Window() = default;

Window::Window(VideoMode mode, const String& title, std::uint32_t style, State state, const ContextSettings& settings)
{
    Window::create(mode, title, style, state, settings);
}

Window::~Window() = default;

void Window::create(VideoMode mode, const String& title, std::uint32_t style, State state)
{
    create(mode, title, style, state, ContextSettings{});
}

void Window::create(VideoMode mode, const String& title, std::uint32_t style, State state,
                    const ContextSettings& settings)
{
    assert(mode.size.x > 0 && mode.size.y > 0 && "Window::create: the size must not be zero");
    m_settings = {};
    auto impl = detail::createWindowImpl(mode, title, style, state, &settings);
    if (impl)
        m_settings = impl->getContextSettings();
    m_frameClock.restart();
    adopt(std::move(impl));
    setVerticalSyncEnabled(false);
}

void Window::close()
{
    WindowBase::close();
}

const ContextSettings& Window::getSettings() const
{
    return m_settings;
}

void Window::setVerticalSyncEnabled(bool enabled)
{
    m_verticalSync = enabled;
    m_refreshPeriod = Time::Zero;
    if (auto* impl = getImpl())
    {
        impl->setVerticalSync(enabled);
        const int rate = impl->getRefreshRate();
        m_refreshPeriod = seconds(1.f / static_cast<float>(rate > 0 ? rate : 60));
    }
}

void Window::setFramerateLimit(unsigned int limit)
{
    m_frameTimeLimit = limit > 0 ? seconds(1.f / static_cast<float>(limit)) : Time::Zero;
}

bool Window::setActive(bool active) const
{
    sendPendingDrawing();
    auto* impl = getImpl();
    return impl && impl->setActive(active);
}

void Window::display()
{
    sendPendingDrawing();
    auto* impl = getImpl();
    if (!impl)
        return;
    if (impl->setActive(true))
        impl->swapBuffers();
    pace();
}

void Window::pace()
{
    Time period = m_frameTimeLimit;
    const Time elapsed = m_frameClock.getElapsedTime();
    // Where the driver ignores the swap interval (software rendering, virtual displays), the
    // swap returns at once; the loop is then held to the refresh rate here. With a working
    // vertical synchronisation the frame already took about one period and nothing is added.
    if (m_verticalSync && elapsed < m_refreshPeriod * std::int64_t{3} / 4 && m_refreshPeriod > period)
        period = m_refreshPeriod;
    if (elapsed < period)
        sleep(period - elapsed);
    m_frameClock.restart();
}
} // namespace mivra
