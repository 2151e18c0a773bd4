#include <mivra/Graphics/RenderWindow.hpp>

#include "Graphics/detail/GlUse.hpp"

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
    return Window::setActive(active);
}

void RenderWindow::sendPendingDrawing() const
{
    // Whoever activates a context next may use OpenGL directly, and a frame shown must hold
    // what was drawn: what is gathered goes first.
    const detail::GlUse use;
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
