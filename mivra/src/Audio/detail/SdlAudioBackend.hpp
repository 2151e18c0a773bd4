#pragma once

#include "AudioBackend.hpp"

namespace mivra::detail
{
// SDL's audio: the driver SDL picks or SDL_AUDIODRIVER names, and where that cannot open an output,
// the other compiled-in drivers in turn. SDL's audio subsystem is initialised here, reference-counted,
// and never its video subsystem.
//
// SDL 2.26 says that a device went away only with an event in its queue, which a program without a
// window never reads, and which this library must not take from a window's queue either. The device's
// status says it too (SDL_AUDIO_STOPPED once SDL has given the device up), without touching the
// queue: lost() reads that, and an output's callback, which SDL goes on calling for a lost device,
// reads it after every period to report the loss at once.
class SdlAudioBackend : public AudioBackend
{
public:
    SdlAudioBackend();
    ~SdlAudioBackend() override;
    SdlAudioBackend(const SdlAudioBackend&) = delete;
    SdlAudioBackend& operator=(const SdlAudioBackend&) = delete;

    bool captureReady() override { return m_ready; }
    OpenedStream openOutput(const OutputFormat& format, std::size_t bufferFrames, RenderFunction render,
                            OutputSearch search) override;
    std::unique_ptr<BackendStream> openCapture(const std::string& deviceName, unsigned int sampleRate,
                                               unsigned int channelCount, std::size_t bufferFrames,
                                               CaptureFunction capture, std::string& error) override;
    std::vector<std::string> captureDevices() override;
    std::string defaultCaptureDevice() override;

private:
    bool m_ready{false};
    std::string m_initError;
};
} // namespace mivra::detail
