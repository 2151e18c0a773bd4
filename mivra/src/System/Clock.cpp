#include <mivra/System/Clock.hpp>

#include <thread>

namespace mivra
{
namespace
{
Time sinceEpoch(std::chrono::steady_clock::duration d)
{
    return microseconds(std::chrono::duration_cast<std::chrono::microseconds>(d).count());
}
} // namespace

Time Clock::getElapsedTime() const
{
    return sinceEpoch(std::chrono::steady_clock::now() - m_start);
}

Time Clock::restart()
{
    const auto now = std::chrono::steady_clock::now();
    const Time elapsed = sinceEpoch(now - m_start);
    m_start = now;
    return elapsed;
}

void sleep(Time duration)
{
    if (duration > Time::Zero)
        std::this_thread::sleep_for(std::chrono::microseconds(duration.asMicroseconds()));
}
} // namespace mivra
