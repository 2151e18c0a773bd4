#include "AudioDevice.hpp"

#include "SampleConversion.hpp"

#include <algorithm>

namespace mivra::detail
{
std::shared_ptr<AudioDevice> AudioDevice::get()
{
    // Built on first use, destroyed at exit or when the last sound, stream or recorder goes,
    // whichever is later.
    static const std::shared_ptr<AudioDevice> instance(new AudioDevice);
    return instance;
}

AudioDevice::AudioDevice() : m_backend(audioBackend())
{
    m_mixBuffer.resize(m_bufferFrames * m_format.channelCount);
    m_follower = std::make_unique<OutputFollower>(m_backend, m_format, m_bufferFrames,
                                                  [this](std::int16_t* out, std::size_t frames) { mix(out, frames); });
}

AudioDevice::~AudioDevice()
{
    m_follower.reset();
}

void AudioDevice::addVoice(const std::shared_ptr<Voice>& voice)
{
    if (voice->inMixer)
        return;
    voice->inMixer = true;
    m_voices.push_back(voice);
}

void AudioDevice::removeVoice(Voice& voice)
{
    if (!voice.inMixer)
        return;
    voice.inMixer = false;
    std::erase_if(m_voices, [&](const std::shared_ptr<Voice>& v) { return v.get() == &voice; });
}

void AudioDevice::mix(std::int16_t* out, std::size_t frameCount)
{
    const std::size_t sampleCount = frameCount * m_format.channelCount;
    {
        std::lock_guard lock(m_mutex);
        if (m_voices.empty())
        {
            // Nothing playing: silence, without a pass over the mix.
            std::fill_n(out, sampleCount, std::int16_t{0});
            return;
        }
        if (m_mixBuffer.size() < sampleCount)
            m_mixBuffer.resize(sampleCount);
        std::fill_n(m_mixBuffer.begin(), sampleCount, 0.f);
        for (std::size_t i = 0; i < m_voices.size();)
        {
            Voice& voice = *m_voices[i];
            if (voice.status == SoundSource::Status::Playing)
            {
                voice.render(m_mixBuffer.data(), frameCount);
                if (voice.finished())
                {
                    voice.status = SoundSource::Status::Stopped;
                    voice.rewind();
                }
            }
            if (voice.status == SoundSource::Status::Stopped)
            {
                voice.inMixer = false;
                m_voices.erase(m_voices.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            ++i;
        }
    }
    for (std::size_t i = 0; i < sampleCount; ++i)
        out[i] = toSample(m_mixBuffer[i]);
}
} // namespace mivra::detail
