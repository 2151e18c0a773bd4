#include "TouchState.hpp"

namespace mivra::detail
{
TouchState& TouchState::instance()
{
    static TouchState state;
    return state;
}

std::optional<unsigned int> TouchState::find(std::int64_t fingerId) const
{
    for (unsigned int i = 0; i < MaxFingers; ++i)
        if (m_slots[i].down && m_slots[i].id == fingerId)
            return i;
    return std::nullopt;
}

std::optional<unsigned int> TouchState::begin(std::int64_t fingerId, Vector2i desktopPosition)
{
    auto slot = find(fingerId);
    for (unsigned int i = 0; !slot && i < MaxFingers; ++i)
        if (!m_slots[i].down)
            slot = i;
    if (slot)
        m_slots[*slot] = {true, fingerId, desktopPosition};
    return slot;
}

std::optional<unsigned int> TouchState::move(std::int64_t fingerId, Vector2i desktopPosition)
{
    const auto slot = find(fingerId);
    if (slot)
        m_slots[*slot].position = desktopPosition;
    return slot;
}

std::optional<unsigned int> TouchState::end(std::int64_t fingerId, Vector2i desktopPosition)
{
    const auto slot = find(fingerId);
    if (slot)
    {
        m_slots[*slot].position = desktopPosition;
        m_slots[*slot].down = false;
    }
    return slot;
}

bool TouchState::isDown(unsigned int finger) const
{
    return finger < MaxFingers && m_slots[finger].down;
}

Vector2i TouchState::getPosition(unsigned int finger) const
{
    return finger < MaxFingers ? m_slots[finger].position : Vector2i();
}

void TouchState::reset()
{
    for (auto& slot : m_slots)
        slot = {};
}
} // namespace mivra::detail
