#include <mivra/Window/Touch.hpp>
#include <mivra/Window/WindowBase.hpp>

#include "detail/TouchState.hpp"

namespace mivra
{
bool Touch::isDown(unsigned int finger)
{
    return detail::TouchState::instance().isDown(finger);
}

Vector2i Touch::getPosition(unsigned int finger)
{
    return detail::TouchState::instance().getPosition(finger);
}

Vector2i Touch::getPosition(unsigned int finger, const WindowBase& relativeTo)
{
    return getPosition(finger) - relativeTo.getPosition();
}
} // namespace mivra
