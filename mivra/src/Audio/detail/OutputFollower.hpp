#pragma once

#include "AudioBackend.hpp"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace mivra::detail
{
// Keeps one output playing a render function: the backend's default output, opened at once, and
// after that output goes away the default output as it is then. When no output can be opened, a
// silent output consumes the render in real time so that playing, status and offsets behave the
// same, and a single line through the diagnostics sink says so.
//
// Its thread sleeps until an output reports its loss (setLossHandler), then says so in one line
// naming the device and plays on through the default output as it is now (another device where one
// is left, else the silent output, which keeps time). Only while on the silent output after a loss
// does it wake, once a second, to look for a device again. The render goes on from where it was.
class OutputFollower
{
public:
    OutputFollower(AudioBackend& backend, const OutputFormat& format, std::size_t bufferFrames, RenderFunction render);
    ~OutputFollower();
    OutputFollower(const OutputFollower&) = delete;
    OutputFollower& operator=(const OutputFollower&) = delete;

    // The name of the output playing now ("silent null output" when none).
    [[nodiscard]] std::string outputName();

    // How often it looks for a device while on the silent output after a loss.
    static constexpr int RetryMilliseconds = 1000;

private:
    // The backend's default output with the loss handler set, paused.
    OpenedStream open(OutputSearch search);
    std::unique_ptr<BackendStream> silentOutput();
    // Closes the output playing now and starts this one; with m_outputMutex held.
    void playOn(std::unique_ptr<BackendStream> output);
    void follow();
    // Wakes the thread; any thread may call it, an output's callback included.
    void signalLoss();

    AudioBackend& m_backend;
    OutputFormat m_format;
    std::size_t m_bufferFrames;
    RenderFunction m_render;

    std::mutex m_outputMutex; // guards the output; held while one closes, so never taken by signalLoss
    std::unique_ptr<BackendStream> m_output;

    std::mutex m_signalMutex; // guards the two flags below
    bool m_lossSignalled{false};
    bool m_quit{false};
    std::condition_variable m_wake;
    std::thread m_thread;
};
} // namespace mivra::detail
