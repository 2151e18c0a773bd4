#include <mivra/Audio/SoundBufferRecorder.hpp>

namespace mivra
{
SoundBufferRecorder::~SoundBufferRecorder()
{
    stop();
}

bool SoundBufferRecorder::onCaptureStart()
{
    m_samples.clear();
    return true;
}

bool SoundBufferRecorder::onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount)
{
    m_samples.insert(m_samples.end(), samples, samples + sampleCount);
    return true;
}

void SoundBufferRecorder::onCaptureStop()
{
    if (!m_buffer.loadFromSamples(m_samples.data(), m_samples.size(), getChannelCount(), getSampleRate(),
                                  getChannelMap()))
        return;
    m_samples.clear();
    m_samples.shrink_to_fit();
}
} // namespace mivra
