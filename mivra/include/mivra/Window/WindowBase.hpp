#pragma once

#include <mivra/System/String.hpp>
#include <mivra/System/Time.hpp>
#include <mivra/System/Vector2.hpp>
#include <mivra/Window/Event.hpp>
#include <mivra/Window/VideoMode.hpp>
#include <mivra/Window/WindowEnums.hpp>

#include <cstdint>
#include <memory>
#include <optional>

namespace mivra
{
namespace detail
{
class WindowImpl;
}

/// A window on the desktop, without OpenGL: events, size, position, title, visibility.
///
/// A window that failed to open reports why on stderr and is simply not open: isOpen() is false
/// and pollEvent() gives nothing.
class WindowBase
{
public:
    WindowBase();
    WindowBase(VideoMode mode, const String& title, std::uint32_t style = Style::Default, State state = State::Windowed);
    virtual ~WindowBase();

    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    /// (Re)creates the window; an open window is closed first.
    virtual void create(VideoMode mode, const String& title, std::uint32_t style = Style::Default, State state = State::Windowed);
    /// Removes the window from the screen and drops its pending events.
    virtual void close();
    [[nodiscard]] bool isOpen() const;

    /// The next pending event, or nothing when the queue is drained or the window is closed.
    [[nodiscard]] std::optional<Event> pollEvent();
    /// Waits for the next event up to timeout (Time::Zero: no limit); nothing on timeout or close.
    [[nodiscard]] std::optional<Event> waitEvent(Time timeout = Time::Zero);

    [[nodiscard]] Vector2i getPosition() const;
    void setPosition(Vector2i position);
    /// The client area's size as the last Resized event (or setSize) left it.
    [[nodiscard]] Vector2u getSize() const;
    void setSize(Vector2u size);
    void setTitle(const String& title);
    void setVisible(bool visible);
    void setMouseCursorVisible(bool visible);
    void setKeyRepeatEnabled(bool enabled);
    /// The smallest joystick axis move (0 to 100, 0.1 at start) reported as a JoystickMoved event.
    /// It holds for every window: joysticks belong to the process, not to one window.
    void setJoystickThreshold(float threshold);
    [[nodiscard]] bool hasFocus() const;
    void requestFocus();
    /// The platform's id of the window (the X11 window id under X11), 0 when there is none.
    [[nodiscard]] std::uint64_t getNativeHandle() const;

protected:
    /// Called by create() once the window exists. Not reached from constructors of derived
    /// classes: a derived class sets itself up in its own constructor as well.
    virtual void onCreate() {}
    /// Called when an event or setSize changed the size; getSize() already gives the new size.
    virtual void onResize() {}

    [[nodiscard]] detail::WindowImpl* getImpl() const { return m_impl.get(); }
    /// Installs a new platform window (closing the old one) and runs onCreate().
    void adopt(std::unique_ptr<detail::WindowImpl> impl);

private:
    /// Bookkeeping on an event (if any) before the user sees it; gives the event back.
    std::optional<Event> noteEvent(std::optional<Event> event);

    std::unique_ptr<detail::WindowImpl> m_impl;
    Vector2u m_size;
    bool m_keyRepeat{true};
};
} // namespace mivra
