// SoundBuffer decoding of any bytes: WAV, OGG Vorbis, FLAC, MP3 and whatever else libsndfile
// recognises. A success must give a consistent sound; every sample is read.
#include <mivra/Audio/SoundBuffer.hpp>
#include <mivra/System/Diagnostics.hpp>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool silenced = (mivra::setDiagnosticHandler({}), true);
    (void)silenced;
    mivra::SoundBuffer buffer;
    if (!buffer.loadFromMemory(data, size))
    {
        if (buffer.getSampleCount() != 0)
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
