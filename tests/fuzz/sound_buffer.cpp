// SoundBuffer decoding of any bytes: WAV, OGG Vorbis, FLAC, MP3 and whatever else libsndfile
// recognises. A success must give a consistent sound; every sample is read. A failure must leave
// the sound that was loaded before exactly as it was.
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/System/Diagnostics.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool silenced = (mivra::setDiagnosticHandler({}), true);
    (void)silenced;
    static const std::int16_t before[] = {1, -2, 300, -4000, 5, 6};
    mivra::SoundBuffer buffer;
    if (!buffer.loadFromSamples(before, std::size(before), 2, 22050,
                                {mivra::SoundChannel::FrontLeft, mivra::SoundChannel::FrontRight}))
        std::abort();
    if (!buffer.loadFromMemory(data, size))
    {
        if (buffer.getSampleCount() != std::size(before) || buffer.getChannelCount() != 2 ||
            buffer.getSampleRate() != 22050 || !std::equal(std::begin(before), std::end(before), buffer.getSamples()) ||
            buffer.getChannelMap().size() != 2)
            std::abort();
        return 0;
    }
    const unsigned channels = buffer.getChannelCount();
    if (channels == 0 || buffer.getSampleRate() == 0 || buffer.getSampleCount() % channels != 0 ||
        buffer.getChannelMap().size() != channels)
        std::abort();
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < buffer.getSampleCount(); ++i)
        sum += buffer.getSamples()[i];
    if (sum == INT64_MIN)
        std::abort();
    return 0;
}
