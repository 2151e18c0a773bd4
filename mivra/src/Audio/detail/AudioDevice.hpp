#pragma once

#include "AudioBackend.hpp"
#include "Voice.hpp"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mivra::detail
{
// The one audio output of the process and its mixer.
//
// Opened on first use on the default output of the backend (audioBackend()) and kept for the life of
// the process (a reopened disk or file output would start over). When no output can be opened, a
// silent output consumes the mix in real time so that playing, status and offsets behave the same,
// and a single line through the diagnostics sink says so.
//
// The output follows the default device: a watcher thread looks at the device every few
// milliseconds, and when it has gone away says so in one line naming it, and plays on through the
// default output as it is now (another device where one is left, else the silent output, which
// keeps time). While on the silent output after a loss, it looks for a device again once a second.
// The mix goes on from where it was, so sounds and music end when they would have.
class AudioDevice
{
public:
    static std::shared_ptr<AudioDevice> get();
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    [[nodiscard]] std::mutex& mutex() { return m_mutex; }
    [[nodiscard]] const OutputFormat& format() const { return m_format; }
    [[nodiscard]] std::size_t bufferFrames() const { return m_bufferFrames; }
    // The name of the device playing now ("silent null output" when none).
    [[nodiscard]] std::string outputName();
    // True when the backend can capture.
    [[nodiscard]] bool captureReady() const { return m_backend.captureReady(); }
    [[nodiscard]] AudioBackend& backend() const { return m_backend; }

    // Both with the mutex held.
    void addVoice(const std::shared_ptr<Voice>& voice);
    void removeVoice(Voice& voice);

    // Mixes every playing voice into frameCount interleaved 16-bit output frames.
    void mix(std::int16_t* out, std::size_t frameCount);

    // How often the watcher looks at the device, and how often it looks for one after a loss.
    static constexpr int WatchMilliseconds = 20;
    static constexpr int RetryMilliseconds = 1000;

private:
    AudioDevice();
    // The backend's default output, paused; nothing when it cannot be opened.
    std::unique_ptr<BackendStream> openOutput(bool firstOpen, std::string& error);
    std::unique_ptr<BackendStream> silentOutput();
    // Closes the output playing now and starts this one; with m_outputMutex held.
    void playOn(std::unique_ptr<BackendStream> output);
    void watch();

    AudioBackend& m_backend;
    std::mutex m_mutex;
    OutputFormat m_format;
    std::size_t m_bufferFrames{1024};
    std::vector<std::shared_ptr<Voice>> m_voices;
    std::vector<float> m_mixBuffer;

    std::mutex m_outputMutex; // guards the output and the flags below
    std::unique_ptr<BackendStream> m_output;
    bool m_silentAfterLoss{false};
    bool m_quit{false};
    std::condition_variable m_wake;
    std::thread m_watcher;
};
} // namespace mivra::detail
