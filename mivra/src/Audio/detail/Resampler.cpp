#include "Resampler.hpp"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

namespace mivra::detail
{
namespace
{
// The fastest of libsamplerate's sinc converters: still far above what 16-bit output can show,
// and cheap enough to convert music as it streams.
constexpr int Converter = SRC_SINC_FASTEST;
} // namespace

std::vector<std::int16_t> resampleBuffer(const std::int16_t* samples, std::size_t frameCount, unsigned int channelCount,
                                         unsigned int fromRate, unsigned int toRate)
{
    const double ratio = static_cast<double>(toRate) / fromRate;
    const auto outFrames = static_cast<std::size_t>(std::llround(static_cast<double>(frameCount) * ratio));
    std::vector<std::int16_t> result(outFrames * channelCount);
    if (frameCount == 0)
        return result;
    std::vector<float> in(frameCount * channelCount);
    src_short_to_float_array(samples, in.data(), static_cast<int>(in.size()));
    // A little room past the expected length: the converter may give a frame or two more.
    std::vector<float> out((outFrames + 16) * channelCount);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(frameCount);
    data.data_out = out.data();
    data.output_frames = static_cast<long>(outFrames + 16);
    data.src_ratio = ratio;
    data.end_of_input = 1;
    if (src_simple(&data, Converter, static_cast<int>(channelCount)) != 0)
        return result; // cannot happen for a supported rate and channel count: silence, of the right length
    const auto got = std::min<std::size_t>(static_cast<std::size_t>(data.output_frames_gen), outFrames);
    src_float_to_short_array(out.data(), result.data(), static_cast<int>(got * channelCount));
    return result;
}

StreamResampler::~StreamResampler()
{
    if (m_state)
        src_delete(m_state);
}

void StreamResampler::reset(unsigned int channelCount, unsigned int fromRate, unsigned int toRate)
{
    m_ratio = static_cast<double>(toRate) / fromRate;
    if (m_state && channelCount != m_channelCount)
    {
        src_delete(m_state);
        m_state = nullptr;
    }
    m_channelCount = channelCount;
    if (fromRate == toRate)
        return;
    if (!m_state)
    {
        int error = 0;
        m_state = src_new(Converter, static_cast<int>(channelCount), &error);
    }
    else
    {
        src_reset(m_state);
    }
}

void StreamResampler::process(const float* in, std::size_t frameCount, bool end, std::vector<float>& out)
{
    if (m_ratio == 1.0 || !m_state)
    {
        out.insert(out.end(), in, in + frameCount * m_channelCount);
        return;
    }
    // The converter may hold input back; go on until it has taken everything and, at the end,
    // given everything out.
    for (;;)
    {
        const std::size_t room = static_cast<std::size_t>(static_cast<double>(frameCount) * m_ratio) + 64;
        const std::size_t before = out.size();
        out.resize(before + room * m_channelCount);
        SRC_DATA data{};
        data.data_in = in;
        data.input_frames = static_cast<long>(frameCount);
        data.data_out = out.data() + before;
        data.output_frames = static_cast<long>(room);
        data.src_ratio = m_ratio;
        data.end_of_input = end ? 1 : 0;
        if (src_process(m_state, &data) != 0)
        {
            out.resize(before);
            return;
        }
        out.resize(before + static_cast<std::size_t>(data.output_frames_gen) * m_channelCount);
        in += static_cast<std::size_t>(data.input_frames_used) * m_channelCount;
        frameCount -= static_cast<std::size_t>(data.input_frames_used);
        if ((frameCount == 0 && (!end || data.output_frames_gen == 0)) ||
            (data.input_frames_used == 0 && data.output_frames_gen == 0))
            return;
    }
}
} // namespace mivra::detail
