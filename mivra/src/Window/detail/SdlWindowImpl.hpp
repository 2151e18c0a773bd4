#pragma once

#include "SdlVideo.hpp"
#include "WindowImpl.hpp"

#include <mivra/Window/VideoMode.hpp>
#include <mivra/Window/WindowEnums.hpp>

#include <memory>
#include <optional>
#include <vector>

struct SDL_Window;
union SDL_Event;

namespace mivra::detail
{
// A window of SDL's video subsystem (X11 or Wayland underneath, as SDL chose).
class SdlWindowImpl : public WindowImpl, public SdlEventReceiver
{
public:
    // Opens the window, with an OpenGL context when `settings` is given; nothing on failure,
    // reported through the diagnostics sink.
    static std::unique_ptr<SdlWindowImpl> create(VideoMode mode, const String& title, std::uint32_t style, State state,
                                                 const ContextSettings* settings);
    ~SdlWindowImpl() override;

    void handleSdlEvent(const SDL_Event& event) override;
    void receiveEvent(const Event& event) override { pushEvent(event); }
    [[nodiscard]] std::uint32_t getSdlWindowId() const { return m_windowId; }

    Vector2i getPosition() const override;
    void setPosition(Vector2i position) override;
    Vector2u getSize() const override;
    Vector2u getPhysicalSize() const override;
    void setSize(Vector2u size) override;
    void setTitle(const String& title) override;
    void setVisible(bool visible) override;
    void setMouseCursorVisible(bool visible) override;
    bool hasFocus() const override;
    void requestFocus() override;
    std::uint64_t getNativeHandle() const override;

    bool hasContext() const override { return m_context != nullptr; }
    bool setActive(bool active) override;
    void swapBuffers() override;
    bool setVerticalSync(bool enabled) override;
    ContextSettings getContextSettings() const override { return m_settings; }
    int getRefreshRate() const override;

protected:
    void processEvents() override;

private:
    SdlWindowImpl() = default;

    SdlVideo m_video;
    SDL_Window* m_window{};
    std::uint32_t m_windowId{};
    void* m_context{};
    ContextSettings m_settings;
    // Where the pointer was last seen in the window; motion that does not change it (X11
    // reports the pointer's place when it enters, or when a window opens under it) is no move.
    std::optional<Vector2i> m_lastPointer;
    std::vector<Event> m_translated;
    // The size last reported: SDL repeats it when only the output's scale changed, which is no resize.
    Vector2u m_reportedSize;
};
} // namespace mivra::detail
