#pragma once

#include "Voice.hpp"

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

protected:
    std::string m_name;
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
    // Opens the system's default output in `format` with buffers of bufferFrames, paused. Nothing,
    // with the reason in `error`, when no output can be opened. `firstOpen` allows a backend to look
    // further than its current driver; a reopen after a loss must leave open capture devices alone.
    virtual std::unique_ptr<BackendStream> openOutput(const OutputFormat& format, std::size_t bufferFrames,
                                                      RenderFunction render, bool firstOpen, std::string& error) = 0;
    // Opens a capture device (empty name: the default) delivering batches of about bufferFrames,
    // paused. Nothing, with the reason in `error`, when it cannot.
    virtual std::unique_ptr<BackendStream> openCapture(const std::string& deviceName, unsigned int sampleRate,
                                                       unsigned int channelCount, std::size_t bufferFrames,
                                                       CaptureFunction capture, std::string& error) = 0;
    [[nodiscard]] virtual std::vector<std::string> captureDevices() = 0;
    // Empty when the backend names no default.
    [[nodiscard]] virtual std::string defaultCaptureDevice() = 0;
};

// The backend MIVRA_AUDIO_BACKEND names ("null"), SDL's by default; chosen on first use and kept for
// the process.
AudioBackend& audioBackend();
} // namespace mivra::detail
