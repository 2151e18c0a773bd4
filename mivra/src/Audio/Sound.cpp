#include <mivra/Audio/Sound.hpp>
#include <mivra/Audio/SoundBuffer.hpp>

#include "detail/AudioDevice.hpp"
#include "detail/FrameTime.hpp"
#include "detail/VoiceSettings.hpp"

#include <algorithm>

namespace mivra
{
Sound::Sound(const SoundBuffer& buffer)
    : m_device(detail::AudioDevice::get()), m_voice(std::make_shared<detail::BufferVoice>())
{
    setBuffer(buffer);
}

Sound::Sound(const Sound& other)
    : SoundSource(), m_device(other.m_device), m_voice(std::make_shared<detail::BufferVoice>())
{
    {
        std::lock_guard lock(m_device->mutex());
        m_voice->loop = other.m_voice->loop;
        m_voice->volume = other.m_voice->volume;
    }
    if (other.m_buffer)
        setBuffer(*other.m_buffer);
}

Sound& Sound::operator=(const Sound& other)
{
    if (this == &other)
        return *this;
    stop();
    bool loop = false;
    float volume = 1.f;
    {
        std::lock_guard lock(m_device->mutex());
        loop = other.m_voice->loop;
        volume = other.m_voice->volume;
        m_voice->loop = loop;
        m_voice->volume = volume;
    }
    if (other.m_buffer)
        setBuffer(*other.m_buffer);
    else
        detachBuffer();
    return *this;
}

Sound::~Sound()
{
    stop();
    if (m_buffer)
        m_buffer->detach(this);
}

void Sound::setBuffer(const SoundBuffer& buffer)
{
    stop();
    if (m_buffer)
        m_buffer->detach(this);
    m_buffer = &buffer;
    buffer.attach(this);
    // Converted here, ahead of play(), so that playing starts at once.
    auto converted = buffer.samplesAt(m_device->format().sampleRate);
    std::lock_guard lock(m_device->mutex());
    m_voice->setFormat(buffer.getChannelCount(), buffer.getSampleRate(), buffer.getChannelMap(), m_device->format());
    m_voice->samples = buffer.getSamples();
    m_voice->frameCount = buffer.getSampleCount() / std::max(1u, buffer.getChannelCount());
    m_voice->converted = std::move(converted);
}

void Sound::detachBuffer()
{
    stop();
    std::lock_guard lock(m_device->mutex());
    m_buffer = nullptr;
    m_voice->samples = nullptr;
    m_voice->frameCount = 0;
    m_voice->converted.reset();
}

void Sound::play()
{
    if (!m_buffer)
        return;
    // The buffer may have been reloaded since: its conversion is made again then, kept otherwise.
    auto converted = m_buffer->samplesAt(m_device->format().sampleRate);
    std::lock_guard lock(m_device->mutex());
    detail::BufferVoice& voice = *m_voice;
    // The buffer may have been reloaded since the last play.
    if (voice.channelCount() != m_buffer->getChannelCount() || voice.sampleRate() != m_buffer->getSampleRate())
        voice.setFormat(m_buffer->getChannelCount(), m_buffer->getSampleRate(), m_buffer->getChannelMap(),
                        m_device->format());
    voice.samples = m_buffer->getSamples();
    voice.frameCount = m_buffer->getSampleCount() / std::max(1u, m_buffer->getChannelCount());
    voice.converted = std::move(converted);
    if (voice.status == Status::Playing)
        voice.restartAt(0); // playing again restarts from the beginning
    else if (voice.status == Status::Stopped)
        voice.restartAt(voice.startFrame);
    voice.status = Status::Playing;
    m_device->addVoice(m_voice);
}

void Sound::pause()
{
    detail::pauseVoice(*m_device, *m_voice);
}

void Sound::stop()
{
    std::lock_guard lock(m_device->mutex());
    m_voice->status = Status::Stopped;
    m_voice->restartAt(0);
    m_device->removeVoice(*m_voice);
}

SoundSource::Status Sound::getStatus() const
{
    return detail::voiceStatus(*m_device, *m_voice);
}

detail::AudioDevice& Sound::outputDevice() const
{
    return *m_device;
}

detail::Voice& Sound::mixerVoice() const
{
    return *m_voice;
}

void Sound::setPlayingOffset(Time offset)
{
    std::lock_guard lock(m_device->mutex());
    detail::BufferVoice& voice = *m_voice;
    const std::uint64_t frame = detail::frameAt(offset.asMicroseconds(), voice.sampleRate());
    voice.restartAt(std::min<std::uint64_t>(frame, voice.frameCount));
}

Time Sound::getPlayingOffset() const
{
    std::lock_guard lock(m_device->mutex());
    const detail::BufferVoice& voice = *m_voice;
    if (voice.status == Status::Stopped)
        return Time::Zero;
    std::uint64_t frame = voice.startFrame + voice.playedSourceFrames();
    if (voice.frameCount > 0)
        frame = voice.loop ? frame % voice.frameCount : std::min<std::uint64_t>(frame, voice.frameCount);
    return microseconds(detail::microsecondsAt(frame, voice.sampleRate()));
}
} // namespace mivra
