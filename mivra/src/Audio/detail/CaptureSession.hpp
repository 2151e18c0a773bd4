#pragma once

#include "AudioBackend.hpp"

#include <atomic>
#include <cstddef>
#include <condition_variable>
#include <cstdint>
#include <memory>
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

// One capture: a capture device of the backend whose callback collects samples, and the capture
// thread that hands them to the recorder's hooks in order.
//
// The samples waiting for the hook are bounded (MaxBacklogSeconds of audio): a hook slower than real
// time loses what the device captures beyond that, with one diagnostic line per capture, instead of
// letting the backlog grow without limit. A stop closes the device first, so that it ends after at
// most the hook call under way, one call with the backlog, and the stop hook.
//
// A device that goes away ends the capture the same way, with one diagnostic line naming it: what it
// captured up to then is kept, and nothing it makes up afterwards (SDL's lost devices go on calling
// back with silence) reaches the recorder.
class CaptureSession
{
public:
    static constexpr unsigned int MaxBacklogSeconds = 2;
    static constexpr int LossCheckMilliseconds = 50;

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
    void collect(const std::int16_t* samples, std::size_t count);
    void captureLoop();
    void closeDevice();
    // Takes the backlog into batch; with the mutex held.
    void takePending(std::vector<std::int16_t>& batch);
    void reportDropsOnce();

    SoundRecorder& m_recorder;
    std::unique_ptr<BackendStream> m_stream;
    // The device for its own callback: m_stream is emptied before the device is closed, while the
    // callback may still run.
    BackendStream* m_device{};
    std::atomic<bool> m_lost{false};
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::int16_t> m_pending;
    std::size_t m_maxPending{};
    std::size_t m_dropped{};     // samples the callback found no room for; guarded by m_mutex
    bool m_dropsReported{false}; // capture thread only
    std::string m_deviceLabel;
    bool m_stopRequested{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};
} // namespace mivra::detail
