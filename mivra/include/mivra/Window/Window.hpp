#pragma once

#include <mivra/System/Clock.hpp>
#include <mivra/Window/ContextSettings.hpp>
#include <mivra/Window/WindowBase.hpp>

namespace mivra
{
/// A window with an OpenGL context, sharing its OpenGL objects with every other context of the
/// process, and a frame pacing of its own (vertical synchronisation or a frame-rate limit).
class Window : public WindowBase
{
public:
    /// No window yet; create() opens one.
    Window();
    /// Opens a window with an OpenGL context made as the settings ask; see create(). A window or
    /// context that cannot be made is reported through the diagnostics sink, and isOpen() is false.
    Window(VideoMode mode, const String& title, std::uint32_t style = Style::Default, State state = State::Windowed,
           const ContextSettings& settings = {});
    ~Window() override;

    /// (Re)creates the window with default context settings.
    void create(VideoMode mode, const String& title, std::uint32_t style = Style::Default,
                State state = State::Windowed) override;
    /// (Re)creates the window and its context; the mode's size must not be zero (asserted). On
    /// failure one line goes to the diagnostics sink and
    /// isOpen() is false.
    virtual void create(VideoMode mode, const String& title, std::uint32_t style, State state,
                        const ContextSettings& settings);
    /// Closes the window and releases its context.
    void close() override;

    /// The settings the context was actually given.
    [[nodiscard]] const ContextSettings& getSettings() const;
    /// With vertical synchronisation on, display() waits for the screen's refresh; where the
    /// driver cannot wait, display() sleeps to the refresh rate instead.
    void setVerticalSyncEnabled(bool enabled);
    /// display() sleeps so that frames come at most `limit` times a second (0: no limit).
    void setFramerateLimit(unsigned int limit);
    /// Makes the window's context current on this thread (or releases it). False when the window
    /// is not open, and false with one line through the diagnostics sink when the system refuses.
    /// Drawing the window still holds back (see sendPendingDrawing) is sent first.
    bool setActive(bool active = true) const;
    /// Shows the frame drawn since the last display and paces the loop. Drawing the window still
    /// holds back (see sendPendingDrawing) is sent first.
    void display();

protected:
    /// A window that gathers drawing before it reaches OpenGL sends it here. display() and
    /// setActive() call it first, so that whatever names the window, the frame shown or the
    /// context handed over holds all that was drawn. Does nothing here.
    virtual void sendPendingDrawing() const {}

private:
    void pace();

    ContextSettings m_settings;
    Clock m_frameClock;
    Time m_frameTimeLimit;
    Time m_refreshPeriod;
    bool m_verticalSync{};
};
} // namespace mivra
