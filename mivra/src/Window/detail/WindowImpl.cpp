#include "WindowImpl.hpp"

#include <mivra/System/Clock.hpp>

namespace mivra::detail
{
std::optional<Event> WindowImpl::popEvent()
{
    if (m_next == m_events.size())
    {
        clearEvents();
        processEvents();
        if (m_events.empty())
            return std::nullopt;
    }
    return m_events[m_next++];
}

std::optional<Event> WindowImpl::waitEvent(Time timeout)
{
    // Polling with short sleeps keeps every backend's pump non-blocking, and lets events
    // of other sources (raw mouse motion) arrive while waiting.
    const Clock clock;
    for (;;)
    {
        if (auto event = popEvent())
            return event;
        if (timeout > Time::Zero && clock.getElapsedTime() >= timeout)
            return std::nullopt;
        sleep(milliseconds(2));
    }
}
} // namespace mivra::detail
