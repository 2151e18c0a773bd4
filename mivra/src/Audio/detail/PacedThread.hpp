#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

namespace mivra::detail
{
// A thread that does a device's work in real time without a device: every time another batch of
// frames is due at `rate`, it calls step once for it, sleeping in between until the next one is due.
// What the silent output and the null backend's devices run on.
class PacedThread
{
public:
    PacedThread() = default;
    PacedThread(const PacedThread&) = delete;
    PacedThread& operator=(const PacedThread&) = delete;
    ~PacedThread() { stop(); }

    // Starts the thread; a second call does nothing.
    void start(unsigned int rate, std::size_t batchFrames, std::function<void()> step);
    // Ends the thread, once step has returned; before anything step uses goes away.
    void stop();

private:
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};
} // namespace mivra::detail
