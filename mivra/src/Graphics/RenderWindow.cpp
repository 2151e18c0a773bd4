#include <mivra/Graphics/RenderWindow.hpp>

#include "Graphics/detail/BatchControl.hpp"

namespace mivra
{
RenderWindow::RenderWindow(VideoMode mode, const String& title, std::uint32_t style, State state,
                           const ContextSettings& settings)
    : Window(mode, title, style, state, settings)
{
    // Window's constructor cannot reach our onCreate(): set the views up here.
    initialize();
}

RenderWindow::~RenderWindow() = default;

bool RenderWindow::isSrgb() const
{
    return getSettings().sRgbCapable;
}

bool RenderWindow::setActive(bool active)
{
    // Whoever activates a context next may use OpenGL directly: what is gathered goes first.
    detail::BatchControl::flush();
    return Window::setActive(active);
}

void RenderWindow::display()
{
    detail::BatchControl::flush();
    Window::display();
}

void RenderWindow::onCreate()
{
    initialize();
}

void RenderWindow::onResize()
{
    updateDefaultView();
}
} // namespace mivra
