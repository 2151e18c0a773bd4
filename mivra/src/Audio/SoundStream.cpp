#include <mivra/Audio/AudioLimits.hpp>
#include <mivra/Audio/SoundStream.hpp>
#include <mivra/System/Diagnostics.hpp>

#include "detail/AudioDevice.hpp"
#include "detail/FrameTime.hpp"
#include "detail/Resampler.hpp"
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
    m_voice->wake.notify_all();
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
    voice.wake.notify_all();
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

bool SoundStream::onRequestFloats(std::vector<float>& samples)
{
    Chunk chunk;
    const bool more = onRequestData(chunk);
    if (chunk.samples && chunk.sampleCount > 0)
    {
        const std::size_t before = samples.size();
        samples.resize(before + chunk.sampleCount);
        for (std::size_t i = 0; i < chunk.sampleCount; ++i)
            samples[before + i] = static_cast<float>(chunk.samples[i]) * (1.f / 32768.f);
    }
    return more;
}

void SoundStream::streamingLoop()
{
    detail::StreamVoice& voice = *m_voice;
    detail::AudioDevice& device = *m_device;
    const unsigned int outputRate = device.format().sampleRate;
    // Asleep while the queue holds enough; woken by the mixer when it falls to a tenth of a second
    // (never less than two output buffers), then filled to four tenths in one go: a few wake-ups a
    // second, with room for a slow decode.
    const std::uint64_t low = std::max<std::uint64_t>(outputRate / 10, 2 * std::uint64_t{device.bufferFrames()});
    const std::uint64_t high = std::max<std::uint64_t>(outputRate * 4 / 10, 2 * low);
    const std::size_t channels = m_channelCount;
    detail::StreamResampler resampler;
    resampler.reset(m_channelCount, m_sampleRate, outputRate);
    std::vector<float> samples; // decoded, not yet converted; a broken frame waits here for the rest
    std::unique_lock lock(device.mutex());
    voice.lowMark = low;
    voice.startMark = device.bufferFrames();
    // Converts the whole frames in `samples` (draining the converter at the end) and queues them.
    const auto queue = [&](bool end) {
        const std::size_t whole = samples.size() - samples.size() % channels;
        std::vector<float> converted;
        resampler.process(samples.data(), whole / channels, end, converted);
        samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(whole));
        return converted;
    };
    while (!voice.stopRequested)
    {
        if (voice.pendingSeek)
        {
            const std::int64_t offset = *voice.pendingSeek;
            voice.pendingSeek.reset();
            lock.unlock();
            onSeekTo(microseconds(offset));
            resampler.reset(m_channelCount, m_sampleRate, outputRate);
            samples.clear();
            lock.lock();
            continue;
        }
        if (voice.queuedFrames >= high)
        {
            voice.wanted = false;
            voice.wake.wait(lock, [&] { return voice.stopRequested || voice.pendingSeek || voice.wanted; });
            continue;
        }
        lock.unlock();
        const bool more = onRequestFloats(samples);
        // Converted before the lock is taken: the mixer holds it on the output's thread.
        std::vector<float> converted = queue(false);
        lock.lock();
        if (voice.stopRequested)
            break;
        if (voice.pendingSeek)
            continue; // the chunk belongs to the old position
        voice.push(std::move(converted));
        if (more)
            continue;
        lock.unlock();
        // A loop goes on through the same converter, so that its join is as smooth as the rest.
        const std::optional<std::uint64_t> next = onLoop();
        std::vector<float> tail;
        if (!next)
            tail = queue(true);
        lock.lock();
        if (voice.stopRequested)
            break;
        if (voice.pendingSeek)
            continue;
        if (!next)
        {
            voice.push(std::move(tail));
            voice.ended = true;
            break;
        }
    }
    voice.threadRunning = false;
}
} // namespace mivra
