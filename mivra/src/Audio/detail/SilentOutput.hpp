#pragma once

#include "AudioBackend.hpp"
#include "PacedThread.hpp"

#include <atomic>
#include <vector>

namespace mivra::detail
{
// An output that plays into nothing in real time: the mix is consumed at the output's rate, so
// sounds start, play and end as they would on a device. The output follower's last resort when no
// device can be opened, and the null backend's outputs.
class SilentOutput : public BackendStream
{
public:
    SilentOutput(std::string name, const OutputFormat& format, std::size_t bufferFrames, RenderFunction render);
    ~SilentOutput() override { m_thread.stop(); }

    void start() override;
    [[nodiscard]] bool lost() const override { return m_lost; }

    // Gives the device up: the output goes on consuming, into nothing, as SDL's lost devices do.
    void markLost();
    [[nodiscard]] std::uint64_t renderedFrames() const { return m_rendered; }

protected:
    // Ends the consuming thread, for a derived class's destructor; the destructor does too.
    void stopThread() { m_thread.stop(); }

private:
    OutputFormat m_format;
    std::size_t m_bufferFrames;
    RenderFunction m_render;
    std::vector<std::int16_t> m_scratch;
    std::atomic<bool> m_lost{false};
    std::atomic<std::uint64_t> m_rendered{0};
    PacedThread m_thread;
};
} // namespace mivra::detail
