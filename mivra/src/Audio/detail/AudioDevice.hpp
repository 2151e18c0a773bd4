#pragma once

#include "AudioBackend.hpp"
#include "OutputFollower.hpp"
#include "Voice.hpp"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace mivra::detail
{
// The mixer of the process's one audio output: the voices playing and their sum, rendered for
// whichever output the follower (OutputFollower) keeps open. Opened on first use on the backend
// (audioBackend()) and kept for the life of the process (a reopened disk or file output would start
// over).
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
    [[nodiscard]] std::string outputName() { return m_follower->outputName(); }
    // True when the backend can capture.
    [[nodiscard]] bool captureReady() const { return m_backend.captureReady(); }
    [[nodiscard]] AudioBackend& backend() const { return m_backend; }

    // Both with the mutex held.
    void addVoice(const std::shared_ptr<Voice>& voice);
    void removeVoice(Voice& voice);

    // Mixes every playing voice into frameCount interleaved 16-bit output frames.
    void mix(std::int16_t* out, std::size_t frameCount);

private:
    AudioDevice();

    AudioBackend& m_backend;
    std::mutex m_mutex;
    OutputFormat m_format;
    std::size_t m_bufferFrames{1024};
    std::vector<std::shared_ptr<Voice>> m_voices;
    std::vector<float> m_mixBuffer;
    // Last: it stops rendering before the mixer goes.
    std::unique_ptr<OutputFollower> m_follower;
};
} // namespace mivra::detail
