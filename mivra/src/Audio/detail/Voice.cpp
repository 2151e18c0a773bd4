#include "Voice.hpp"

#include "SoundFile.hpp"

#include <mivra/Audio/AudioLimits.hpp>

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

void Voice::setFormat(unsigned int channelCount, unsigned int sampleRate, const std::vector<SoundChannel>& channelMap,
                      const OutputFormat& output)
{
    // Sounds and streams refuse other formats before they get here; the clamps keep the mapping
    // below in range whatever happens.
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
    m_straight = m_channelCount == outChannels;
    for (unsigned int c = 0; c < m_channelCount && m_straight; ++c)
        for (unsigned int o = 0; o < outChannels; ++o)
            m_straight = m_straight && m_gains[c * outChannels + o] == (c == o ? 1.f : 0.f);
    m_finished = false;
}

void Voice::restartAt(std::uint64_t /*sourceFrame*/)
{
    outputFrames = 0;
    m_finished = false;
}

std::uint64_t Voice::playedSourceFrames() const
{
    return outputFrames * m_sampleRate / m_output.sampleRate;
}

std::uint64_t Voice::outputFrameOf(std::uint64_t sourceFrame) const
{
    return sourceFrame * m_output.sampleRate / m_sampleRate;
}

template <typename Sample>
void Voice::mixIn(const Sample* in, std::size_t frames, float scale, float* out) const
{
    const unsigned int outChannels = m_output.channelCount;
    // The common layouts get loops of their own, which the compiler vectorises.
    if (m_straight)
    {
        const std::size_t count = frames * outChannels;
        for (std::size_t i = 0; i < count; ++i)
            out[i] += static_cast<float>(in[i]) * scale;
        return;
    }
    if (m_channelCount == 1 && outChannels == 2)
    {
        for (std::size_t f = 0; f < frames; ++f)
        {
            const float value = static_cast<float>(in[f]) * scale;
            out[2 * f] += value;
            out[2 * f + 1] += value;
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
            out[f * outChannels + o] += sum * scale;
        }
    }
}

std::size_t Voice::render(float* out, std::size_t frameCount)
{
    const std::size_t outChannels = m_output.channelCount;
    std::size_t produced = 0;
    while (produced < frameCount)
    {
        const SourceFrames frames = fetch(frameCount - produced);
        if (frames.count == 0)
            break;
        float* target = out + produced * outChannels;
        if (frames.integers)
            mixIn(frames.integers, frames.count, volume / 32768.f, target);
        else
            mixIn(frames.floats, frames.count, volume, target);
        produced += frames.count;
    }
    outputFrames += produced;
    if (produced < frameCount && exhausted())
        m_finished = true;
    return produced;
}

std::size_t BufferVoice::playedFrames() const
{
    return converted ? converted->size() / channelCount() : frameCount;
}

SourceFrames BufferVoice::fetch(std::size_t maxFrames)
{
    const std::size_t total = playedFrames();
    if (position >= total && loop && total > 0)
        position = 0;
    const std::size_t n = std::min(maxFrames, total - std::min(position, total));
    const std::int16_t* data = converted ? converted->data() : samples;
    SourceFrames frames{data + position * channelCount(), nullptr, n};
    position += n;
    return frames;
}

void BufferVoice::restartAt(std::uint64_t sourceFrame)
{
    startFrame = sourceFrame;
    const std::uint64_t played = converted ? outputFrameOf(sourceFrame) : sourceFrame;
    position = static_cast<std::size_t>(std::min<std::uint64_t>(played, playedFrames()));
    Voice::restartAt(sourceFrame);
}

bool BufferVoice::exhausted() const
{
    const std::size_t total = playedFrames();
    return position >= total && !(loop && total > 0);
}

void StreamVoice::push(std::vector<float>&& samples)
{
    const std::size_t channels = channelCount();
    samples.resize(samples.size() - samples.size() % channels);
    if (samples.empty())
        return;
    queuedFrames += samples.size() / channels;
    m_chunks.push_back(std::move(samples));
}

void StreamVoice::clearQueue()
{
    m_chunks.clear();
    m_frontOffset = 0;
    queuedFrames = 0;
    m_started = false;
}

void StreamVoice::restartAt(std::uint64_t sourceFrame)
{
    clearQueue();
    ended = false;
    baseFrame = sourceFrame;
    Voice::restartAt(sourceFrame);
}

SourceFrames StreamVoice::fetch(std::size_t maxFrames)
{
    const std::size_t channels = channelCount();
    // The front chunk is released only here, once the caller is done with the previous pointer.
    while (!m_chunks.empty() && m_frontOffset >= m_chunks.front().size())
    {
        m_chunks.pop_front();
        m_frontOffset = 0;
    }
    if (!m_started && queuedFrames < startMark && !ended)
        return {};
    m_started = !m_chunks.empty();
    if (m_chunks.empty())
        return {};
    const auto& front = m_chunks.front();
    const std::size_t n = std::min(maxFrames, (front.size() - m_frontOffset) / channels);
    SourceFrames frames{nullptr, front.data() + m_frontOffset, n};
    m_frontOffset += n * channels;
    queuedFrames -= n;
    if (queuedFrames <= lowMark && !wanted && !ended)
    {
        wanted = true;
        wake.notify_one();
    }
    return frames;
}

bool StreamVoice::exhausted() const
{
    return ended && queuedFrames == 0;
}
} // namespace mivra::detail
