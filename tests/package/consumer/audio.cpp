// Uses the audio module: a sound saved as WAV into the directory given and read back (no audio
// device involved).
// Prints: audio: 4410 samples at 44100 Hz read back from WAV
#include <mivra/Audio.hpp>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::filesystem::path file = std::filesystem::path(argv[1]) / "audio.wav";
    std::vector<std::int16_t> samples(4410);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>((i % 100) * 300 - 15000);
    mivra::SoundBuffer buffer;
    mivra::SoundBuffer loaded;
    if (!buffer.loadFromSamples(samples.data(), samples.size(), 1, 44100, {mivra::SoundChannel::Mono}) ||
        !buffer.saveToFile(file) || !loaded.loadFromFile(file))
        return 1;
    if (loaded.getSampleCount() != samples.size() || loaded.getSampleRate() != 44100 || loaded.getChannelCount() != 1 ||
        !std::equal(samples.begin(), samples.end(), loaded.getSamples()))
        return 1;
    std::cout << "audio: " << loaded.getSampleCount() << " samples at " << loaded.getSampleRate()
              << " Hz read back from WAV\n";
    return 0;
}
