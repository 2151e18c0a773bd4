#pragma once

#include <mivra/System/String.hpp>
#include <mivra/System/Time.hpp>
#include <mivra/System/Vector2.hpp>
#include <mivra/Window/ContextSettings.hpp>
#include <mivra/Window/Event.hpp>

#include <cstdint>
#include <cstddef>
#include <optional>
#include <vector>

namespace mivra::detail
{
// The platform side of a window. A backend reports the events it translates with pushEvent();
// the shared part queues them and hands them out in order.
class WindowImpl
{
public:
    virtual ~WindowImpl() = default;

    // Shared event queue.
    void pushEvent(const Event& event) { m_events.push_back(event); }
    // The next queued event; asks the backend for new ones when the queue is empty.
    std::optional<Event> popEvent();
    // As popEvent, but waits up to timeout (zero: no limit) for an event.
    std::optional<Event> waitEvent(Time timeout);
    void clearEvents()
    {
        m_events.clear();
        m_next = 0;
    }

    // Whether a key held down keeps reporting presses; backends drop the repeats when off.
    void setKeyRepeatEnabled(bool enabled) { m_keyRepeat = enabled; }
    [[nodiscard]] bool isKeyRepeatEnabled() const { return m_keyRepeat; }

    // Platform operations.
    virtual Vector2i getPosition() const = 0;
    virtual void setPosition(Vector2i position) = 0;
    virtual Vector2u getSize() const = 0;
    // The client area's size in physical pixels, the ones its framebuffer holds: getSize() times
    // the output's scale where the display server draws at one (Wayland), getSize() elsewhere.
    virtual Vector2u getPhysicalSize() const { return getSize(); }
    virtual void setSize(Vector2u size) = 0;
    virtual void setTitle(const String& title) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void setMouseCursorVisible(bool visible) = 0;
    virtual bool hasFocus() const = 0;
    virtual void requestFocus() = 0;
    virtual std::uint64_t getNativeHandle() const = 0;

    // OpenGL, for windows created with a context; a window without one answers false.
    virtual bool hasContext() const { return false; }
    virtual bool setActive(bool /*active*/) { return false; }
    virtual void swapBuffers() {}
    // False when the driver refuses to change the swap interval.
    virtual bool setVerticalSync(bool /*enabled*/) { return false; }
    virtual ContextSettings getContextSettings() const { return {}; }
    // The screen's refresh rate in Hz, 0 when unknown.
    virtual int getRefreshRate() const { return 0; }

protected:
    // Translates whatever the platform has pending into pushEvent() calls; never blocks.
    virtual void processEvents() = 0;

private:
    // Events not yet taken are m_events[m_next..]; the vector is emptied, keeping its capacity,
    // whenever all are taken, so a steady stream of events allocates nothing.
    std::vector<Event> m_events;
    std::size_t m_next{};
    bool m_keyRepeat{true};
};
} // namespace mivra::detail
