#pragma once

#include <mivra/Audio/SoundChannel.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mivra
{
namespace detail
{
class CaptureSession;
class AudioDevice;
} // namespace detail

// Records from a capture device and hands the samples to a derived class.
//
// start() opens the device, then calls onCaptureStart on the calling thread; from then on a capture
// thread of the library hands every captured batch to onCapturedSamples, in order. The capture ends
// when stop() is called or onCapturedSamples returns false; onCaptureStop then runs on the capture
// thread, last. stop() ends the device's capture at once, hands what it had captured to
// onCapturedSamples in one last batch, and returns once onCaptureStop has run: after the hook call
// under way, at most one more and the stop hook, however far behind the hooks are. It does nothing
// when no capture is running. Hooks of one recorder never run at the same time.
//
// At most two seconds of captured audio wait for onCapturedSamples (a batch is never longer): when
// the hook is slower than real time, what the device captures beyond that is dropped, and one
// diagnostic line per capture says so.
//
// A derived class must call stop() in its destructor, so that no hook runs on a half-destroyed
// object.
class SoundRecorder
{
public:
    virtual ~SoundRecorder();
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    [[nodiscard]] static bool isAvailable();
    [[nodiscard]] static std::vector<std::string> getAvailableDevices();
    [[nodiscard]] static std::string getDefaultDevice();

    // Chooses the device of the next capture; false (with a line on stderr) for an unknown name or
    // while capturing.
    [[nodiscard]] bool setDevice(const std::string& name);
    [[nodiscard]] const std::string& getDevice() const { return m_deviceName; }
    // 1 (the default) or 2; takes effect at the next start.
    void setChannelCount(unsigned int channelCount);
    [[nodiscard]] unsigned int getChannelCount() const { return m_channelCount; }
    [[nodiscard]] const std::vector<SoundChannel>& getChannelMap() const { return m_channelMap; }

    // False, with a line on stderr, when the device cannot be opened or the rate is outside
    // MinSampleRate to MaxSampleRate (AudioLimits.hpp); false too when onCaptureStart refuses.
    [[nodiscard]] bool start(unsigned int sampleRate = 44100);
    void stop();
    [[nodiscard]] unsigned int getSampleRate() const { return m_sampleRate; }
    [[nodiscard]] bool isCapturing() const;

protected:
    SoundRecorder();

    virtual bool onCaptureStart();
    virtual bool onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount) = 0;
    virtual void onCaptureStop();

private:
    friend class detail::CaptureSession;

    std::string m_deviceName;
    unsigned int m_channelCount{1};
    std::vector<SoundChannel> m_channelMap{SoundChannel::Mono};
    unsigned int m_sampleRate{};
    std::shared_ptr<detail::AudioDevice> m_device;
    std::unique_ptr<detail::CaptureSession> m_session;
};
} // namespace mivra
