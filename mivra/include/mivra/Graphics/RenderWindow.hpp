#pragma once

#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Window/Window.hpp>

namespace mivra
{
/// A window that is also a render target. Its default view follows the window's size; the current
/// view is kept on resize (set it again in the Resized handler to change what is shown).
///
/// On an output at scale s (Wayland) the window works in logical pixels, getSize(), while its
/// framebuffer holds physical pixels, getPhysicalSize() = s times as many in each direction (s is
/// getPixelRatio()): everything is drawn at that resolution, and pixels read back from the window
/// (glReadPixels, a screenshot) are physical ones. On X11 both sizes are the same.
class RenderWindow : public Window, public RenderTarget
{
public:
    /// No window yet; create() opens one.
    RenderWindow() = default;
    /// Opens the window as Window does; a window that cannot open is reported through the diagnostics
    /// sink and is not open.
    RenderWindow(VideoMode mode, const String& title, std::uint32_t style = Style::Default,
                 State state = State::Windowed, const ContextSettings& settings = {});
    ~RenderWindow() override;

    /// The size of the window's client area in logical pixels.
    [[nodiscard]] Vector2u getSize() const override { return Window::getSize(); }
    /// The size of the window's framebuffer in physical pixels (see the class comment).
    [[nodiscard]] Vector2u getPhysicalSize() const override { return Window::getPhysicalSize(); }
    /// Physical pixels per logical pixel, s in the class comment; the window and the render
    /// target give the same ratio.
    [[nodiscard]] float getPixelRatio() const { return Window::getPixelRatio(); }
    /// Whether the window's framebuffer converts linear colours to sRGB.
    [[nodiscard]] bool isSrgb() const override;
    /// Window::setActive, for the render target: it sends the pending batch of draws first.
    bool setActive(bool active = true) override;

protected:
    /// Sends the pending batch of draws: Window's display() and setActive() call this first,
    /// whether reached through the RenderWindow or through a Window.
    void sendPendingDrawing() const override;
    void onCreate() override;
    void onResize() override;
};
} // namespace mivra
