#pragma once

#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Window/Window.hpp>

namespace mivra
{
/// A window that is also a render target. Its default view follows the window's size; the current
/// view is kept on resize (set it again in the Resized handler to change what is shown).
class RenderWindow : public Window, public RenderTarget
{
public:
    RenderWindow() = default;
    RenderWindow(VideoMode mode, const String& title, std::uint32_t style = Style::Default, State state = State::Windowed,
                 const ContextSettings& settings = {});
    ~RenderWindow() override;

    [[nodiscard]] Vector2u getSize() const override { return Window::getSize(); }
    [[nodiscard]] bool isSrgb() const override;
    bool setActive(bool active = true) override;

protected:
    void onCreate() override;
    void onResize() override;
};
} // namespace mivra
