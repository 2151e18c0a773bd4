#include "Voice.hpp"

#include "SoundFile.hpp"

#include <mivra/Audio/AudioLimits.hpp>

#include <SDL.h>

#include <algorithm>
#include <cassert>
#include <cmath>

namespace mivra::detail
{
namespace
{
// Gains of one source channel on the left and right outputs.
std::pair<float, float> stereoGains(SoundChannel channel)
{
    switch (channel)
    {
    case SoundChannel::FrontLeft:
    case SoundChannel::FrontLeftOfCenter:
    case SoundChannel::BackLeft:
    case SoundChannel::SideLeft:
    case SoundChannel::TopFrontLeft:
    case SoundChannel::TopBackLeft: return {1.f, 0.f};
    case SoundChannel::FrontRight:
    case SoundChannel::FrontRightOfCenter:
    case SoundChannel::BackRight:
    case SoundChannel::SideRight:
    case SoundChannel::TopFrontRight:
    case SoundChannel::TopBackRight: return {0.f, 1.f};
    default: return {0.70710678f, 0.70710678f};
    }
}
} // namespace

Voice::~Voice()
{
    if (m_resampler)
        SDL_FreeAudioStream(m_resampler);
}

void Voice::setFormat(unsigned int channelCount, unsigned int sampleRate, const std::vector<SoundChannel>& channelMap,
                      const OutputFormat& output)
{
    // Sounds and streams refuse other formats before they get here; the clamps keep the
    // conversions to SDL's int and Uint8 below in range whatever happens.
    assert(isSupportedSampleRate(sampleRate) && channelCount >= 1 && channelCount <= MaxChannelCount &&
           "Voice::setFormat: unsupported format");
    m_channelCount = std::clamp(channelCount, 1u, MaxChannelCount);
    m_sampleRate = std::clamp(sampleRate, MinSampleRate, MaxSampleRate);
    m_output = output;
    const unsigned int outChannels = output.channelCount;
    m_gains.assign(static_cast<std::size_t>(m_channelCount) * outChannels, 0.f);

    if (m_channelCount == 1 || outChannels == 1)
    {
        // A mono source goes unchanged to every output; a mono output takes the plain average.
        const float gain = outChannels == 1 ? 1.f / static_cast<float>(m_channelCount) : 1.f;
        std::fill(m_gains.begin(), m_gains.end(), gain);
    }
    else
    {
        std::vector<SoundChannel> map = channelMap.size() == m_channelCount ? channelMap
                                                                            : defaultChannelMap(m_channelCount);
        if (m_channelCount == 2 && map[0] == SoundChannel::Unspecified && map[1] == SoundChannel::Unspecified)
            map = defaultChannelMap(2);
        float leftSum = 0.f;
        float rightSum = 0.f;
        for (unsigned int c = 0; c < m_channelCount; ++c)
        {
            const auto [left, right] = stereoGains(map[c]);
            m_gains[c * outChannels] = left;
            m_gains[c * outChannels + 1] = right;
            leftSum += left;
            rightSum += right;
        }
        // Keep a down-mix of many channels from clipping where a plain stereo source stays exact.
        for (unsigned int c = 0; c < m_channelCount; ++c)
        {
            if (leftSum > 1.f)
                m_gains[c * outChannels] /= leftSum;
            if (rightSum > 1.f)
                m_gains[c * outChannels + 1] /= rightSum;
        }
    }

    if (m_resampler)
    {
        SDL_FreeAudioStream(m_resampler);
        m_resampler = nullptr;
    }
    if (m_sampleRate != output.sampleRate)
    {
        m_resampler = SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(outChannels), static_cast<int>(m_sampleRate),
                                         AUDIO_F32SYS, static_cast<Uint8>(outChannels),
                                         static_cast<int>(output.sampleRate));
    }
    resetConversion();
}

void Voice::resetConversion()
{
    if (m_resampler)
        SDL_AudioStreamClear(m_resampler);
    m_draining = false;
    m_pushedFrames = 0;
    m_resampledFrames = 0;
    m_drainTarget = 0;
    m_finished = false;
}

void Voice::restartAt(std::uint64_t /*sourceFrame*/)
{
    outputFrames = 0;
    resetConversion();
}

std::uint64_t Voice::playedSourceFrames() const
{
    return outputFrames * m_sampleRate / m_output.sampleRate;
}

void Voice::convert(const std::int16_t* in, std::size_t frames, float* out) const
{
    const unsigned int outChannels = m_output.channelCount;
    constexpr float scale = 1.f / 32768.f;
    if (m_channelCount == 1 && outChannels == 2)
    {
        for (std::size_t f = 0; f < frames; ++f)
        {
            const float value = static_cast<float>(in[f]) * scale;
            out[2 * f] = value;
            out[2 * f + 1] = value;
        }
        return;
    }
    for (std::size_t f = 0; f < frames; ++f)
    {
        for (unsigned int o = 0; o < outChannels; ++o)
        {
            float sum = 0.f;
            for (unsigned int c = 0; c < m_channelCount; ++c)
                sum += static_cast<float>(in[f * m_channelCount + c]) * m_gains[c * outChannels + o];
            out[f * outChannels + o] = sum * scale;
        }
    }
}

std::size_t Voice::render(float* out, std::size_t frameCount)
{
    const std::size_t outChannels = m_output.channelCount;
    if (m_rendered.size() < frameCount * outChannels)
        m_rendered.resize(frameCount * outChannels);

    const std::size_t produced = m_resampler ? renderResampled(frameCount) : renderDirect(frameCount);

    for (std::size_t i = 0; i < produced * outChannels; ++i)
        out[i] += m_rendered[i] * volume;
    outputFrames += produced;
    if (produced < frameCount && exhausted())
        m_finished = !m_resampler || (m_draining && m_resampledFrames >= m_drainTarget);
    return produced;
}

std::size_t Voice::renderDirect(std::size_t frameCount)
{
    const std::size_t outChannels = m_output.channelCount;
    std::size_t produced = 0;
    while (produced < frameCount)
    {
        const std::int16_t* data = nullptr;
        const std::size_t n = fetch(data, frameCount - produced);
        if (n == 0)
            break;
        convert(data, n, m_rendered.data() + produced * outChannels);
        produced += n;
    }
    return produced;
}

std::size_t Voice::renderResampled(std::size_t frameCount)
{
    const std::size_t outChannels = m_output.channelCount;
    const std::size_t frameBytes = outChannels * sizeof(float);
    std::size_t produced = 0;
    while (produced < frameCount)
    {
        auto available = static_cast<std::size_t>(std::max(0, SDL_AudioStreamAvailable(m_resampler))) / frameBytes;
        if (m_draining)
        {
            // Keep exactly the frames the source's length calls for, not the padding's.
            const std::uint64_t left = m_drainTarget - std::min(m_drainTarget, m_resampledFrames);
            if (left == 0)
                break;
            if (available == 0)
            {
                padResamplerWithSilence();
                continue;
            }
            available = static_cast<std::size_t>(std::min<std::uint64_t>(available, left));
        }
        if (available > 0)
        {
            const std::size_t take = std::min(available, frameCount - produced);
            const int got = SDL_AudioStreamGet(m_resampler, m_rendered.data() + produced * outChannels,
                                               static_cast<int>(take * frameBytes));
            if (got <= 0)
                break;
            produced += static_cast<std::size_t>(got) / frameBytes;
            m_resampledFrames += static_cast<std::size_t>(got) / frameBytes;
            continue;
        }
        if (m_draining)
            break;
        const std::int16_t* data = nullptr;
        const std::size_t n = fetch(data, 1024);
        if (n == 0)
        {
            if (!exhausted())
                break;
            m_draining = true;
            m_drainTarget = m_pushedFrames * m_output.sampleRate / m_sampleRate;
            continue;
        }
        if (m_converted.size() < n * outChannels)
            m_converted.resize(n * outChannels);
        convert(data, n, m_converted.data());
        SDL_AudioStreamPut(m_resampler, m_converted.data(), static_cast<int>(n * frameBytes));
        m_pushedFrames += n;
    }
    return produced;
}

void Voice::padResamplerWithSilence()
{
    constexpr std::size_t frames = 256;
    const std::size_t samples = frames * m_output.channelCount;
    if (m_converted.size() < samples)
        m_converted.resize(samples);
    std::fill_n(m_converted.begin(), samples, 0.f);
    SDL_AudioStreamPut(m_resampler, m_converted.data(), static_cast<int>(samples * sizeof(float)));
}

std::size_t BufferVoice::fetch(const std::int16_t*& data, std::size_t maxFrames)
{
    if (position >= frameCount && loop && frameCount > 0)
        position = 0;
    const std::size_t n = std::min(maxFrames, frameCount - std::min(position, frameCount));
    data = samples + position * channelCount();
    position += n;
    return n;
}

void BufferVoice::restartAt(std::uint64_t sourceFrame)
{
    startFrame = sourceFrame;
    position = static_cast<std::size_t>(std::min<std::uint64_t>(sourceFrame, frameCount));
    Voice::restartAt(sourceFrame);
}

bool BufferVoice::exhausted() const
{
    return position >= frameCount && !(loop && frameCount > 0);
}

void StreamVoice::push(std::vector<std::int16_t>&& samples)
{
    const std::size_t channels = channelCount();
    // Only a stream that broke a frame across chunks leaves a partial frame to put in front.
    if (!m_partial.empty())
        samples.insert(samples.begin(), m_partial.begin(), m_partial.end());
    const std::size_t whole = samples.size() - samples.size() % channels;
    m_partial.assign(samples.begin() + static_cast<std::ptrdiff_t>(whole), samples.end());
    samples.resize(whole);
    if (samples.empty())
        return;
    queuedFrames += whole / channels;
    m_chunks.push_back(std::move(samples));
}

void StreamVoice::clearQueue()
{
    m_chunks.clear();
    m_frontOffset = 0;
    m_partial.clear();
    queuedFrames = 0;
}

void StreamVoice::restartAt(std::uint64_t sourceFrame)
{
    clearQueue();
    ended = false;
    baseFrame = sourceFrame;
    Voice::restartAt(sourceFrame);
}

std::size_t StreamVoice::fetch(const std::int16_t*& data, std::size_t maxFrames)
{
    const std::size_t channels = channelCount();
    // The front chunk is released only here, once the caller is done with the previous pointer.
    while (!m_chunks.empty() && m_frontOffset >= m_chunks.front().size())
    {
        m_chunks.pop_front();
        m_frontOffset = 0;
    }
    if (m_chunks.empty())
        return 0;
    const auto& front = m_chunks.front();
    const std::size_t n = std::min(maxFrames, (front.size() - m_frontOffset) / channels);
    data = front.data() + m_frontOffset;
    m_frontOffset += n * channels;
    queuedFrames -= n;
    return n;
}

bool StreamVoice::exhausted() const
{
    return ended && queuedFrames == 0;
}
} // namespace mivra::detail
