#include <mivra/Window/WindowBase.hpp>
#include <mivra/Window/detail/PixelRatio.hpp>

#include "detail/WindowBackend.hpp"
#include "detail/WindowImpl.hpp"

#include <cassert>

namespace mivra
{
WindowBase::WindowBase() = default;

WindowBase::WindowBase(VideoMode mode, const String& title, std::uint32_t style, State state)
{
    WindowBase::create(mode, title, style, state);
}

WindowBase::~WindowBase() = default;

void WindowBase::create(VideoMode mode, const String& title, std::uint32_t style, State state)
{
    assert(mode.size.x > 0 && mode.size.y > 0 && "WindowBase::create: the size must not be zero");
    adopt(detail::createWindowImpl(mode, title, style, state, nullptr));
}

void WindowBase::adopt(std::unique_ptr<detail::WindowImpl> impl)
{
    m_impl.reset();
    m_impl = std::move(impl);
    if (!m_impl)
        return;
    m_size = m_impl->getSize();
    m_impl->setKeyRepeatEnabled(m_keyRepeat);
    onCreate();
}

void WindowBase::close()
{
    m_impl.reset();
}

bool WindowBase::isOpen() const
{
    return m_impl != nullptr;
}

std::optional<Event> WindowBase::pollEvent()
{
    return m_impl ? noteEvent(m_impl->popEvent()) : std::nullopt;
}

std::optional<Event> WindowBase::waitEvent(Time timeout)
{
    return m_impl ? noteEvent(m_impl->waitEvent(timeout)) : std::nullopt;
}

std::optional<Event> WindowBase::noteEvent(std::optional<Event> event)
{
    if (const auto* resized = event ? event->getIf<Event::Resized>() : nullptr)
    {
        m_size = resized->size;
        onResize();
    }
    return event;
}

Vector2i WindowBase::getPosition() const
{
    return m_impl ? m_impl->getPosition() : Vector2i();
}

void WindowBase::setPosition(Vector2i position)
{
    if (m_impl)
        m_impl->setPosition(position);
}

Vector2u WindowBase::getSize() const
{
    return m_impl ? m_size : Vector2u();
}

Vector2u WindowBase::getPhysicalSize() const
{
    return m_impl ? m_impl->getPhysicalSize() : Vector2u();
}

float WindowBase::getPixelRatio() const
{
    return detail::pixelRatio(getSize(), getPhysicalSize());
}

void WindowBase::setSize(Vector2u size)
{
    assert(size.x > 0 && size.y > 0 && "WindowBase::setSize: the size must not be zero");
    if (!m_impl)
        return;
    m_impl->setSize(size);
    m_size = m_impl->getSize();
    onResize();
}

void WindowBase::setTitle(const String& title)
{
    if (m_impl)
        m_impl->setTitle(title);
}

void WindowBase::setVisible(bool visible)
{
    if (m_impl)
        m_impl->setVisible(visible);
}

void WindowBase::setMouseCursorVisible(bool visible)
{
    if (m_impl)
        m_impl->setMouseCursorVisible(visible);
}

void WindowBase::setKeyRepeatEnabled(bool enabled)
{
    m_keyRepeat = enabled;
    if (m_impl)
        m_impl->setKeyRepeatEnabled(enabled);
}

bool WindowBase::hasFocus() const
{
    return m_impl && m_impl->hasFocus();
}

void WindowBase::requestFocus()
{
    if (m_impl)
        m_impl->requestFocus();
}

std::uint64_t WindowBase::getNativeHandle() const
{
    return m_impl ? m_impl->getNativeHandle() : 0;
}
} // namespace mivra
