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

/// Records from a capture device and hands the samples to a derived class.
///
/// start() opens the device, then calls onCaptureStart on the calling thread; from then on a capture
/// thread of the library hands every captured batch to onCapturedSamples, in order. The capture ends
/// when stop() is called or onCapturedSamples returns false; onCaptureStop then runs on the capture
/// thread, last. stop() ends the device's capture at once, hands what it had captured to
/// onCapturedSamples in one last batch, and returns once onCaptureStop has run: after the hook call
/// under way, at most one more and the stop hook, however far behind the hooks are. It does nothing
/// when no capture is running. Hooks of one recorder never run at the same time.
///
/// At most two seconds of captured audio wait for onCapturedSamples (a batch is never longer): when
/// the hook is slower than real time, what the device captures beyond that is dropped, and one
/// diagnostic line per capture says so.
///
/// A capture device that goes away ends the capture the same way, with one diagnostic line
/// ("mivra: the capture device went away: <device>: ..."): what it captured up to then is handed
/// over, nothing after it, and onCaptureStop runs; isCapturing() is then false.
///
/// A derived class must call stop() in its destructor, so that no hook runs on a half-destroyed
/// object.
class SoundRecorder
{
public:
    /// A recorder of the default device, mono.
    virtual ~SoundRecorder();
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    /// Whether the system can capture audio at all.
    [[nodiscard]] static bool isAvailable();
    /// The names of the capture devices; empty when there are none or capture is unavailable.
    [[nodiscard]] static std::vector<std::string> getAvailableDevices();
    /// The name of the device a recorder captures from unless told otherwise.
    [[nodiscard]] static std::string getDefaultDevice();

    /// Chooses the device of the next capture. False, with one line through the diagnostics sink
    /// ("mivra: cannot change the capture device: <name>: <why>"), for an unknown name or while
    /// capturing; the device stays as it was.
    [[nodiscard]] bool setDevice(const std::string& name);
    /// The name of the device chosen.
    [[nodiscard]] const std::string& getDevice() const { return m_deviceName; }
    /// 1 (the default) or 2; takes effect at the next start. Another count is refused with one line
    /// through the diagnostics sink, and the count stays as it was.
    void setChannelCount(unsigned int channelCount);
    /// The channel count of the next (or current) capture.
    [[nodiscard]] unsigned int getChannelCount() const { return m_channelCount; }
    /// Which speaker each channel is for.
    [[nodiscard]] const std::vector<SoundChannel>& getChannelMap() const { return m_channelMap; }

    /// Starts capturing at `sampleRate`. False, with one line through the diagnostics sink
    /// ("mivra: cannot start capture: <device>: <why>"), when the recorder is already capturing,
    /// capture is unavailable, the device cannot be opened or the rate is outside MinSampleRate to
    /// MaxSampleRate (AudioLimits.hpp); false too, without a line, when onCaptureStart() refuses.
    [[nodiscard]] bool start(unsigned int sampleRate = 44100);
    /// Ends the capture and returns once onCaptureStop() has run; does nothing when not capturing.
    void stop();
    /// The sample rate of the current or last capture.
    [[nodiscard]] unsigned int getSampleRate() const { return m_sampleRate; }
    /// Whether a capture is running.
    [[nodiscard]] bool isCapturing() const;

protected:
    SoundRecorder();

    /// Called by start() on its thread before capture begins; false cancels the start. Does nothing by default.
    virtual bool onCaptureStart();
    /// Receives each captured batch (interleaved, whole frames) on the capture thread; false ends
    /// the capture.
    virtual bool onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount) = 0;
    /// Called last on the capture thread when the capture ends. Does nothing by default.
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
