#pragma once

#include "Voice.hpp"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mivra::detail
{
// Fills frameCount interleaved 16-bit frames of the output format; runs on the device's thread.
using RenderFunction = std::function<void(std::int16_t* out, std::size_t frameCount)>;
// Takes sampleCount interleaved 16-bit samples, whole frames; runs on the device's thread.
using CaptureFunction = std::function<void(const std::int16_t* samples, std::size_t sampleCount)>;

// One open device of a backend. Destroying it closes the device and returns once its callback has
// returned for good.
class BackendStream
{
public:
    BackendStream() = default;
    BackendStream(const BackendStream&) = delete;
    BackendStream& operator=(const BackendStream&) = delete;
    virtual ~BackendStream() = default;

    // Starts the callbacks; a stream is opened paused.
    virtual void start() = 0;
    // True once the device has gone away (unplugged, its server gone). A lost device may go on
    // calling back, as SDL's do: with nothing behind an output, with made-up silence on a capture.
    // Any thread may ask, the device's own callback included.
    [[nodiscard]] virtual bool lost() const = 0;
    // How diagnostics name the device.
    [[nodiscard]] const std::string& name() const { return m_name; }
    // Called once when the device goes away, on whatever thread notices (the device's callback
    // included): so that nobody has to keep asking lost(). Set before start().
    void setLossHandler(std::function<void()> handler) { m_lossHandler = std::move(handler); }

protected:
    // For the backend that notices the loss; only the first call reaches the handler.
    void reportLoss()
    {
        if (!m_lossReported.exchange(true) && m_lossHandler)
            m_lossHandler();
    }

    std::string m_name;

private:
    std::function<void()> m_lossHandler;
    std::atomic<bool> m_lossReported{false};
};

// What openOutput gives: the stream, or nothing and why.
struct OpenedStream
{
    std::unique_ptr<BackendStream> stream;
    std::string failure;
};

// Where openOutput may look for an output.
enum class OutputSearch
{
    // The current driver, then every other one: only before anything is open, since starting
    // another driver closes every device of the current one.
    EveryDriver,
    // The current driver alone: a reopen after a loss leaves open capture devices alone.
    CurrentDriver,
};

// Everything the audio module asks of the system it runs on: the default output, capture devices
// and their names. The shared code (sounds, streams, recorders, the mixer) speaks only to this; one
// implementation per backend, picked by audioBackend() (AudioBackendChoice.cpp).
class AudioBackend
{
public:
    virtual ~AudioBackend() = default;

    // Whether capture devices can be listed and opened at all.
    [[nodiscard]] virtual bool captureReady() = 0;
    // Opens the system's default output in `format` with buffers of bufferFrames, paused; when no
    // output can be opened, no stream and the reason.
    virtual OpenedStream openOutput(const OutputFormat& format, std::size_t bufferFrames, RenderFunction render,
                                    OutputSearch search) = 0;
    // Opens a capture device (empty name: the default) delivering batches of about bufferFrames,
    // paused. Nothing, with the reason in `error`, when it cannot.
    virtual std::unique_ptr<BackendStream> openCapture(const std::string& deviceName, unsigned int sampleRate,
                                                       unsigned int channelCount, std::size_t bufferFrames,
                                                       CaptureFunction capture, std::string& error) = 0;
    [[nodiscard]] virtual std::vector<std::string> captureDevices() = 0;
    // Empty when the backend names no default.
    [[nodiscard]] virtual std::string defaultCaptureDevice() = 0;
};

// The backend of the process: SDL's, unless chooseAudioBackend() named another before the first
// use; kept for the life of the process.
AudioBackend& audioBackend();
// For tests: the backend audioBackend() gives, named before anything of the audio module is used
// (asserted).
void chooseAudioBackend(AudioBackend& backend);
} // namespace mivra::detail
