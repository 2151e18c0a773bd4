#pragma once

#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/Audio/SoundRecorder.hpp>

#include <vector>

namespace mivra
{
/// Keeps every captured sample; after stop() the recording is in getBuffer().
class SoundBufferRecorder : public SoundRecorder
{
public:
    /// A recorder of the default device, mono.
    SoundBufferRecorder() = default;
    /// Stops a capture still running.
    ~SoundBufferRecorder() override;

    /// The last recording, complete once stop() has returned.
    [[nodiscard]] const SoundBuffer& getBuffer() const { return m_buffer; }

protected:
    bool onCaptureStart() override;
    bool onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount) override;
    void onCaptureStop() override;

private:
    std::vector<std::int16_t> m_samples;
    SoundBuffer m_buffer;
};
} // namespace mivra
