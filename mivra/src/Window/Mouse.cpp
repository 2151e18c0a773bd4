#include <mivra/Window/Mouse.hpp>
#include <mivra/Window/WindowBase.hpp>

#include "detail/WindowBackend.hpp"

namespace mivra
{
bool Mouse::isButtonPressed(Button button)
{
    return detail::platform().isMouseButtonPressed(button);
}

Vector2i Mouse::getPosition()
{
    return detail::platform().getMousePosition();
}

Vector2i Mouse::getPosition(const WindowBase& relativeTo)
{
    return getPosition() - relativeTo.getPosition();
}

void Mouse::setPosition(Vector2i position)
{
    detail::platform().setMousePosition(position);
}

void Mouse::setPosition(Vector2i position, const WindowBase& relativeTo)
{
    setPosition(position + relativeTo.getPosition());
}
} // namespace mivra
