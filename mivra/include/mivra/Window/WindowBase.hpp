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
/// A window that failed to open reports why through the diagnostics sink (see @ref errors) and is
/// simply not open: isOpen() is false and pollEvent() gives nothing.
class WindowBase
{
public:
    /// No window yet; create() opens one.
    WindowBase();
    /// Opens a window of the mode's size, with the title, decoration flags (mivra::Style) and
    /// state; see create().
    WindowBase(VideoMode mode, const String& title, std::uint32_t style = Style::Default,
               State state = State::Windowed);
    virtual ~WindowBase();

    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    /// (Re)creates the window; an open window is closed first. The mode's size must not be zero
    /// (asserted). When the window cannot be opened (no display, the system refuses), one line goes
    /// to the diagnostics sink and isOpen() is false.
    virtual void create(VideoMode mode, const String& title, std::uint32_t style = Style::Default,
                        State state = State::Windowed);
    /// Removes the window from the screen and drops its pending events.
    virtual void close();
    /// Whether the window exists: created successfully and not closed since.
    [[nodiscard]] bool isOpen() const;

    /// The next pending event, or nothing when the queue is drained or the window is closed.
    [[nodiscard]] std::optional<Event> pollEvent();
    /// Waits for the next event up to timeout (Time::Zero: no limit); nothing on timeout or close.
    [[nodiscard]] std::optional<Event> waitEvent(Time timeout = Time::Zero);

    /// The position of the window's top-left corner on the desktop.
    [[nodiscard]] Vector2i getPosition() const;
    /// Moves the window's top-left corner to the position on the desktop.
    void setPosition(Vector2i position);
    /// The client area's size in logical pixels, as the last Resized event (or setSize) left it:
    /// the units of events, views and every other size and position a program works in.
    [[nodiscard]] Vector2u getSize() const;
    /// The client area's size in physical pixels, the ones it is drawn with: getSize() times the
    /// output's scale on a Wayland output at scale 2 or 3, getSize() on X11 (which has no
    /// per-window scale) and for windows without OpenGL. It follows the output's scale from one
    /// frame to the next, with no Resized event, since the size a program works in did not change.
    /// Empty when no window is open.
    [[nodiscard]] Vector2u getPhysicalSize() const;
    /// Physical pixels per logical pixel: getPhysicalSize() over getSize(), 2 on an output at
    /// scale 2, 1 on X11 and when no window is open.
    [[nodiscard]] float getPixelRatio() const;
    /// Resizes the client area; the size must not be zero (asserted). onResize() follows.
    void setSize(Vector2u size);
    /// Changes the title bar's text.
    void setTitle(const String& title);
    /// Shows or hides the window.
    void setVisible(bool visible);
    /// Shows or hides the pointer over the window.
    void setMouseCursorVisible(bool visible);
    /// Whether a held key keeps sending KeyPressed events (on by default).
    void setKeyRepeatEnabled(bool enabled);
    /// The smallest joystick axis move (0 to 100, 0.1 at start) reported as a JoystickMoved event.
    /// It holds for every window: joysticks belong to the process, not to one window.
    void setJoystickThreshold(float threshold);
    /// Whether the window has the keyboard focus.
    [[nodiscard]] bool hasFocus() const;
    /// Asks the window manager to give the window the focus; it may refuse.
    void requestFocus();
    /// The platform's id of the window (the X11 window id under X11), 0 when there is none.
    [[nodiscard]] std::uint64_t getNativeHandle() const;

protected:
    /// Called by create() once the window exists. Not reached from constructors of derived
    /// classes: a derived class sets itself up in its own constructor as well.
    virtual void onCreate() {}
    /// Called when an event or setSize changed the size; getSize() already gives the new size.
    virtual void onResize() {}

    /// The platform window, for derived classes; nullptr when none is open.
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
