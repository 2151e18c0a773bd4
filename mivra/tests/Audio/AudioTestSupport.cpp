#include "AudioTestSupport.hpp"
#include "../Support/TempDir.hpp"

#include <mivra/System/Clock.hpp>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include <unistd.h>

namespace mivra::test
{
namespace
{
struct Setup
{
    TempDir scratch;
    std::filesystem::path directory = scratch.path();
    std::filesystem::path output;
    std::filesystem::path input;

    Setup()
    {
        output = directory / "output.raw";
        input = directory / "input.raw";
        std::ofstream(input, std::ios::binary).flush();
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        ::setenv("SDL_DISKAUDIOFILEIN", input.c_str(), 1);
        // About ten times faster than real time.
        ::setenv("SDL_DISKAUDIODELAY", "2", 1);
    }
};

Setup& setup()
{
    static Setup instance;
    return instance;
}

// Before main, so that the output device is opened with these settings whatever runs first.
const bool configured = (setup(), true);
} // namespace

const std::filesystem::path& outputFile()
{
    return setup().output;
}

const std::filesystem::path& inputFile()
{
    return setup().input;
}

const std::filesystem::path& scratchDirectory()
{
    return setup().directory;
}

std::vector<std::int16_t> readOutput()
{
    std::ifstream in(outputFile(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::int16_t> samples(bytes.size() / 4 * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                               (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

std::size_t outputFrames()
{
    std::error_code error;
    const auto size = std::filesystem::file_size(outputFile(), error);
    return error ? 0 : static_cast<std::size_t>(size / 4);
}

bool waitUntil(const std::function<bool()>& predicate, mivra::Time limit)
{
    mivra::Clock clock;
    while (!predicate())
    {
        if (clock.getElapsedTime() > limit)
            return false;
        mivra::sleep(mivra::milliseconds(2));
    }
    return true;
}

bool waitForOutputFrames(std::size_t frames)
{
    return waitUntil([&] { return outputFrames() >= frames; });
}

std::size_t freshOutputFrame()
{
    const std::size_t now = outputFrames() + 4096;
    waitForOutputFrames(now);
    return now;
}

void writeInput(const std::vector<std::int16_t>& samples)
{
    std::ofstream out(inputFile(), std::ios::binary | std::ios::trunc);
    for (std::int16_t s : samples)
    {
        const auto u = static_cast<std::uint16_t>(s);
        out.put(static_cast<char>(u & 0xff)).put(static_cast<char>(u >> 8));
    }
}

std::vector<std::int16_t> distinctSamples(std::size_t count, std::uint32_t seed)
{
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> value(1, 20000);
    std::bernoulli_distribution negative(0.5);
    std::vector<std::int16_t> samples(count);
    for (auto& s : samples)
        s = static_cast<std::int16_t>(negative(engine) ? -value(engine) : value(engine));
    return samples;
}

std::vector<std::int16_t> sineFrames(std::size_t frames, unsigned int sampleRate,
                                     const std::vector<double>& frequencies, double amplitude)
{
    const std::size_t channels = frequencies.size();
    std::vector<std::int16_t> samples(frames * channels);
    for (std::size_t f = 0; f < frames; ++f)
        for (std::size_t c = 0; c < channels; ++c)
            samples[f * channels + c] = static_cast<std::int16_t>(std::lround(
                amplitude * std::sin(6.283185307179586 * frequencies[c] * static_cast<double>(f) / sampleRate)));
    return samples;
}

double toneShare(const std::vector<std::int16_t>& samples, unsigned int channels, unsigned int channel,
                 unsigned int sampleRate, double frequency)
{
    const std::size_t frames = samples.size() / channels;
    const double w = 6.283185307179586 * frequency / sampleRate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0, energy = 0.0;
    for (std::size_t f = 0; f < frames; ++f)
    {
        const double x = samples[f * channels + channel];
        energy += x * x;
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    if (energy == 0.0)
        return 0.0;
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    // A pure tone of N frames gives power N^2 A^2 / 4 and energy N A^2 / 2.
    return power / (energy * static_cast<double>(frames) / 2.0);
}
} // namespace mivra::test
