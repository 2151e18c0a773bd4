#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// libsamplerate's converter state, kept out of the code that includes this header.
struct SRC_STATE_tag;

namespace mivra::detail
{
// Sample-rate conversion, through libsamplerate: its sinc converters keep the pitch exact and the
// signal clean, where a linear one would alias and dull it.

// A whole buffer of interleaved frames converted to another rate, once: what the output mixes in
// place of the buffer's own samples. Exactly frameCount * toRate / fromRate frames, rounded.
std::vector<std::int16_t> resampleBuffer(const std::int16_t* samples, std::size_t frameCount, unsigned int channelCount,
                                         unsigned int fromRate, unsigned int toRate);

// A stream converted chunk by chunk, the converter's state carried from one chunk to the next so
// that the joins are seamless. Used by a single thread.
class StreamResampler
{
public:
    StreamResampler() = default;
    StreamResampler(const StreamResampler&) = delete;
    StreamResampler& operator=(const StreamResampler&) = delete;
    ~StreamResampler();

    // Converts from fromRate to toRate from now on, forgetting what was fed before (a seek, another
    // format). Equal rates leave samples untouched.
    void reset(unsigned int channelCount, unsigned int fromRate, unsigned int toRate);
    // Appends the converted frames of `frameCount` interleaved frames to `out`; `end` also drains
    // what the converter still holds, for the stream's last chunk.
    void process(const float* in, std::size_t frameCount, bool end, std::vector<float>& out);

private:
    SRC_STATE_tag* m_state{};
    unsigned int m_channelCount{1};
    double m_ratio{1.0};
};
} // namespace mivra::detail
