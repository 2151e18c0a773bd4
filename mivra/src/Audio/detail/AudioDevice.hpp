#pragma once

#include "Voice.hpp"

#include <SDL.h>

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
// Opened on first use and kept open for the life of the process (a reopened disk or file output
// would start over). SDL's audio subsystem is initialised here, reference-counted, and never its
// video subsystem. When SDL's driver cannot open an output, the other compiled-in drivers are
// tried; when none can, a null output consumes the mix in real time so that playing, status and
// offsets behave the same, and a single line through the diagnostics sink says so.
class AudioDevice
{
public:
    static std::shared_ptr<AudioDevice> get();
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    [[nodiscard]] std::mutex& mutex() { return m_mutex; }
    // Notified after every mix, for streaming threads that wait for room in their queue.
    [[nodiscard]] std::condition_variable& consumed() { return m_consumed; }
    [[nodiscard]] const OutputFormat& format() const { return m_format; }
    [[nodiscard]] std::size_t bufferFrames() const { return m_bufferFrames; }
    [[nodiscard]] bool isNullOutput() const { return m_id == 0; }
    // True when SDL's audio subsystem is up (capture needs it).
    [[nodiscard]] bool sdlAudioReady() const { return m_sdlAudio; }

    // Both with the mutex held.
    void addVoice(const std::shared_ptr<Voice>& voice);
    void removeVoice(Voice& voice);

    // Mixes every playing voice into frameCount interleaved 16-bit output frames.
    void mix(std::int16_t* out, std::size_t frameCount);

private:
    AudioDevice();
    bool openSdlOutput();
    void runNullOutput();

    std::mutex m_mutex;
    std::condition_variable m_consumed;
    OutputFormat m_format;
    std::size_t m_bufferFrames{1024};
    bool m_sdlAudio{false};
    SDL_AudioDeviceID m_id{0};
    std::vector<std::shared_ptr<Voice>> m_voices;
    std::vector<float> m_mixBuffer;
    std::thread m_nullThread;
    std::atomic<bool> m_quit{false};
};
} // namespace mivra::detail
