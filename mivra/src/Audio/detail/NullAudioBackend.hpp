#pragma once

#include "AudioBackend.hpp"
#include "SilentOutput.hpp"

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace mivra::detail
{
// A backend with no system behind it: outputs that consume in real time and capture devices that
// deliver a steady non-zero signal in real time. Tests choose it (chooseAudioBackend), then its
// devices, and take them away. A device taken away behaves as SDL's do: it
// reports lost(), an output goes on consuming, a capture device goes on delivering silence.
class NullAudioBackend : public AudioBackend
{
public:
    // The value every sample of a null capture device holds until the device goes away.
    static constexpr std::int16_t CapturedValue = 1000;

    NullAudioBackend();
    ~NullAudioBackend() override;

    bool captureReady() override { return true; }
    OpenedStream openOutput(const OutputFormat& format, std::size_t bufferFrames, RenderFunction render,
                            OutputSearch search) override;
    std::unique_ptr<BackendStream> openCapture(const std::string& deviceName, unsigned int sampleRate,
                                               unsigned int channelCount, std::size_t bufferFrames,
                                               CaptureFunction capture, std::string& error) override;
    std::vector<std::string> captureDevices() override;
    std::string defaultCaptureDevice() override;

    // The devices present, the first of each being the default. Initially "null output" and
    // "null microphone".
    void setOutputDevices(std::vector<std::string> names);
    void setCaptureDevices(std::vector<std::string> names);
    // Takes a device away: open streams on it report lost().
    void removeOutputDevice(const std::string& name);
    void removeCaptureDevice(const std::string& name);
    // Output frames consumed by every stream opened on that output so far, lost ones included.
    [[nodiscard]] std::uint64_t renderedFrames(const std::string& name);

    class NullOutput;
    class NullCapture;

private:
    friend class NullOutput;
    friend class NullCapture;

    std::mutex m_mutex;
    std::vector<std::string> m_outputs{"null output"};
    std::vector<std::string> m_captures{"null microphone"};
    std::vector<NullOutput*> m_openOutputs;
    std::vector<NullCapture*> m_openCaptures;
    std::map<std::string, std::uint64_t> m_renderedByClosed;
};

// The null backend, for tests that choose it.
NullAudioBackend& nullAudioBackend();
} // namespace mivra::detail
