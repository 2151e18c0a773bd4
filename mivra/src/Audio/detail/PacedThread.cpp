#include "PacedThread.hpp"

#include <chrono>

namespace mivra::detail
{
void PacedThread::start(unsigned int rate, std::size_t batchFrames, std::function<void()> step)
{
    if (m_thread.joinable())
        return;
    m_quit = false;
    m_thread = std::thread([this, rate, batchFrames, step = std::move(step)] {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        std::uint64_t done = 0;
        while (!m_quit)
        {
            // Each batch is due once its last frame would have played.
            done += batchFrames;
            std::this_thread::sleep_until(start + std::chrono::microseconds(done * 1'000'000 / rate));
            if (!m_quit)
                step();
        }
    });
}

void PacedThread::stop()
{
    m_quit = true;
    if (m_thread.joinable())
        m_thread.join();
}
} // namespace mivra::detail
