#include <mivra/Audio/AudioLimits.hpp>
#include <mivra/Audio/SoundStream.hpp>
#include <mivra/System/Diagnostics.hpp>

#include "detail/AudioDevice.hpp"
#include "detail/FrameTime.hpp"
#include "detail/VoiceSettings.hpp"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <string>
#include <vector>

namespace mivra
{
using detail::frameAt;

SoundStream::SoundStream() : m_device(detail::AudioDevice::get()), m_voice(std::make_shared<detail::StreamVoice>())
{
}

SoundStream::~SoundStream()
{
    stop();
}

bool SoundStream::initialize(unsigned int channelCount, unsigned int sampleRate,
                             const std::vector<SoundChannel>& channelMap)
{
    if (!isSupportedSampleRate(sampleRate) || channelCount == 0 || channelCount > MaxChannelCount)
    {
        reportDiagnostic("cannot set the format of a sound stream", {},
                         std::to_string(channelCount) + " channels at " + std::to_string(sampleRate) +
                             " Hz are outside the supported 1 to " + std::to_string(MaxChannelCount) + " channels at " +
                             std::to_string(MinSampleRate) + " to " + std::to_string(MaxSampleRate) + " Hz");
        return false;
    }
    stop();
    m_channelCount = channelCount;
    m_sampleRate = sampleRate;
    m_channelMap = channelMap;
    std::lock_guard lock(m_device->mutex());
    m_voice->setFormat(channelCount, sampleRate, channelMap, m_device->format());
    return true;
}

void SoundStream::play()
{
    assert(m_channelCount > 0 && "SoundStream::play: the stream was not initialized");
    if (m_channelCount == 0)
        return;
    std::unique_lock lock(m_device->mutex());
    detail::StreamVoice& voice = *m_voice;
    if (voice.status == Status::Playing)
        return;
    if (voice.status == Status::Paused)
    {
        voice.status = Status::Playing;
        return;
    }
    // Stopped: a previous run may have ended on its own and left its thread to be joined.
    lock.unlock();
    joinStreamingThread();
    lock.lock();
    const std::int64_t start = voice.pendingSeek.value_or(0);
    voice.restartAt(frameAt(start, m_sampleRate));
    voice.stopRequested = false;
    voice.pendingSeek = start;
    voice.status = Status::Playing;
    voice.threadRunning = true;
    m_device->addVoice(m_voice);
    m_thread = std::thread(&SoundStream::streamingLoop, this);
}

void SoundStream::pause()
{
    detail::pauseVoice(*m_device, *m_voice);
}

void SoundStream::stop()
{
    {
        std::lock_guard lock(m_device->mutex());
        m_voice->stopRequested = true;
        m_voice->status = Status::Stopped;
        m_device->removeVoice(*m_voice);
    }
    m_device->consumed().notify_all();
    joinStreamingThread();
    std::lock_guard lock(m_device->mutex());
    m_voice->pendingSeek.reset();
    m_voice->restartAt(0);
}

SoundSource::Status SoundStream::getStatus() const
{
    return detail::voiceStatus(*m_device, *m_voice);
}

void SoundStream::setPlayingOffset(Time offset)
{
    std::unique_lock lock(m_device->mutex());
    detail::StreamVoice& voice = *m_voice;
    voice.pendingSeek = offset.asMicroseconds();
    if (voice.status == Status::Stopped)
        return; // taken up by the next play()
    voice.restartAt(frameAt(offset.asMicroseconds(), m_sampleRate));
    if (!voice.threadRunning)
    {
        // The data had run out and only the queue was still playing: the seek needs a new thread.
        lock.unlock();
        joinStreamingThread();
        lock.lock();
        voice.stopRequested = false;
        voice.threadRunning = true;
        m_thread = std::thread(&SoundStream::streamingLoop, this);
    }
    lock.unlock();
    m_device->consumed().notify_all();
}

Time SoundStream::getPlayingOffset() const
{
    std::lock_guard lock(m_device->mutex());
    const detail::StreamVoice& voice = *m_voice;
    if (voice.status == Status::Stopped || m_sampleRate == 0)
        return Time::Zero;
    const std::uint64_t frame = voice.baseFrame + voice.playedSourceFrames();
    return microseconds(detail::microsecondsAt(frame, m_sampleRate));
}

detail::AudioDevice& SoundStream::outputDevice() const
{
    return *m_device;
}

detail::Voice& SoundStream::mixerVoice() const
{
    return *m_voice;
}

std::optional<std::uint64_t> SoundStream::onLoop()
{
    if (!isLooping())
        return std::nullopt;
    onSeekTo(Time::Zero);
    return 0;
}

void SoundStream::joinStreamingThread()
{
    // A hook that stops its own stream must not wait for itself.
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void SoundStream::streamingLoop()
{
    detail::StreamVoice& voice = *m_voice;
    detail::AudioDevice& device = *m_device;
    const auto& output = device.format();
    // Keep about a tenth of a second queued, and never less than two output buffers.
    const std::uint64_t target = std::max<std::uint64_t>(
        m_sampleRate / 10, 2 * static_cast<std::uint64_t>(device.bufferFrames()) * m_sampleRate / output.sampleRate);

    std::unique_lock lock(device.mutex());
    while (!voice.stopRequested)
    {
        if (voice.pendingSeek)
        {
            const std::int64_t offset = *voice.pendingSeek;
            voice.pendingSeek.reset();
            lock.unlock();
            onSeekTo(microseconds(offset));
            lock.lock();
            continue;
        }
        if (voice.queuedFrames >= target || voice.status == Status::Stopped)
        {
            device.consumed().wait_for(lock, std::chrono::milliseconds(10));
            continue;
        }
        lock.unlock();
        Chunk chunk;
        const bool more = onRequestData(chunk);
        // Copied before the lock is taken: the mixer holds it on the output's thread.
        std::vector<std::int16_t> queued;
        if (chunk.samples && chunk.sampleCount > 0)
            queued.assign(chunk.samples, chunk.samples + chunk.sampleCount);
        lock.lock();
        if (voice.stopRequested)
            break;
        if (voice.pendingSeek)
            continue; // the chunk belongs to the old position
        if (!queued.empty())
            voice.push(std::move(queued));
        if (more)
            continue;

        lock.unlock();
        const std::optional<std::uint64_t> next = onLoop();
        lock.lock();
        if (voice.stopRequested)
            break;
        if (voice.pendingSeek)
            continue;
        if (!next)
        {
            voice.ended = true;
            break;
        }
    }
    voice.threadRunning = false;
}
} // namespace mivra
