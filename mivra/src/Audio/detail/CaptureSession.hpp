#pragma once

#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mivra
{
class SoundRecorder;
}

namespace mivra::detail
{
// How diagnostics name a capture device; an empty name stands for the system's default.
inline std::string captureDeviceLabel(const std::string& name)
{
    return name.empty() ? std::string("default capture device") : name;
}

// One capture: an SDL capture device whose callback collects samples, and the capture thread that
// hands them to the recorder's hooks in order.
class CaptureSession
{
public:
    explicit CaptureSession(SoundRecorder& recorder) : m_recorder(recorder) {}
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;
    ~CaptureSession();

    // Opens the device, paused. Reports one line through the diagnostics sink and returns false when
    // it cannot.
    bool open(const std::string& deviceName, unsigned int sampleRate, unsigned int channelCount);
    // Starts capturing and the capture thread.
    void run();
    void requestStop();
    void join();
    // True once the capture thread has run onCaptureStop.
    [[nodiscard]] bool finished() const { return m_finished; }

private:
    static void SDLCALL callback(void* userdata, Uint8* stream, int length);
    void captureLoop();
    void closeDevice();

    SoundRecorder& m_recorder;
    SDL_AudioDeviceID m_id{0};
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::int16_t> m_pending;
    bool m_stopRequested{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};
} // namespace mivra::detail
