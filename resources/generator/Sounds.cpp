// The sounds of the resource directory, synthesised: a bird call, bubbly pops, a bell, an error
// buzz, mouse clicks and a ball bounce. Each is short so that whatever plays it finishes quickly.
#include "Registry.hpp"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace
{
constexpr double twoPi = 6.283185307179586;

// Interleaved float frames at a given rate.
struct Signal
{
    unsigned int sampleRate;
    unsigned int channels;
    std::vector<float> samples;

    Signal(unsigned int rate, unsigned int channelCount, double seconds)
        : sampleRate(rate), channels(channelCount),
          samples(static_cast<std::size_t>(seconds * rate) * channelCount, 0.f)
    {
    }
    [[nodiscard]] std::size_t frames() const { return samples.size() / channels; }
    // Adds a mono value to a frame, spread over the channels by pan (-1 left, +1 right).
    void add(std::size_t frame, double value, double pan = 0.0)
    {
        if (frame >= frames())
            return;
        if (channels == 1)
        {
            samples[frame] += static_cast<float>(value);
            return;
        }
        samples[frame * 2] += static_cast<float>(value * std::sqrt(0.5 * (1.0 - pan)));
        samples[frame * 2 + 1] += static_cast<float>(value * std::sqrt(0.5 * (1.0 + pan)));
    }
    // Scales the whole signal so its loudest sample sits at the given peak.
    void normalise(double peak)
    {
        float loudest = 0.f;
        for (float s : samples)
            loudest = std::max(loudest, std::fabs(s));
        if (loudest > 0.f)
            for (float& s : samples)
                s = static_cast<float>(s * peak / loudest);
    }
};

// A small deterministic noise source, so that every build writes the same files.
class Noise
{
public:
    double next()
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(m_state >> 11) / static_cast<double>(1ull << 53) * 2.0 - 1.0;
    }

private:
    std::uint64_t m_state{0x9e3779b97f4a7c15ull};
};

bool write(const std::filesystem::path& path, const Signal& signal, int format)
{
    SF_INFO info{};
    info.samplerate = static_cast<int>(signal.sampleRate);
    info.channels = static_cast<int>(signal.channels);
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG)
    {
        double quality = 0.6;
        sf_command(file, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof(quality));
    }
    // Floats for every format: libsndfile's 16-bit MP3 writer garbles stereo.
    const auto frames = static_cast<sf_count_t>(signal.frames());
    const bool complete = sf_writef_float(file, signal.samples.data(), frames) == frames;
    return sf_close(file) == 0 && complete;
}

double envelope(double t, double attack, double decay)
{
    if (t < 0.0)
        return 0.0;
    return (t < attack ? t / attack : 1.0) * std::exp(-(t - std::min(t, attack)) / decay);
}

// A killdeer's "kill-dee" call, three times: a short rising chirp, then a longer falling note,
// both whistled near 3 kHz with a quick warble.
bool writeKilldeer(const std::filesystem::path& path)
{
    Signal s(44100, 1, 2.0);
    const double rate = s.sampleRate;
    auto chirp = [&](double start, double length, double f0, double f1) {
        double phase = 0.0;
        const auto first = static_cast<std::size_t>(start * rate);
        const auto count = static_cast<std::size_t>(length * rate);
        for (std::size_t i = 0; i < count; ++i)
        {
            const double t = static_cast<double>(i) / rate;
            const double u = t / length;
            const double frequency = f0 + (f1 - f0) * u + 120.0 * std::sin(twoPi * 38.0 * t);
            phase += twoPi * frequency / rate;
            const double shape = std::sin(3.14159265 * u);
            s.add(first + i, shape * shape * (std::sin(phase) + 0.25 * std::sin(2.0 * phase)));
        }
    };
    for (int call = 0; call < 3; ++call)
    {
        const double start = 0.08 + call * 0.62;
        chirp(start, 0.11, 2600.0, 3600.0);
        chirp(start + 0.17, 0.33, 3700.0, 2500.0);
    }
    s.normalise(0.8);
    return write(path, s, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

// A little doodle of bubbly pops: each a sine whose pitch drops fast, wandering across the stereo
// field.
bool writeDoodlePop(const std::filesystem::path& path)
{
    Signal s(44100, 2, 1.6);
    const double rate = s.sampleRate;
    const double notes[] = {523.25, 659.25, 783.99, 659.25, 880.0, 783.99, 1046.5, 880.0, 1174.7};
    for (std::size_t n = 0; n < std::size(notes); ++n)
    {
        const double start = 0.05 + static_cast<double>(n) * 0.16;
        const double pan = std::sin(static_cast<double>(n) * 1.3) * 0.8;
        double phase = 0.0;
        const auto first = static_cast<std::size_t>(start * rate);
        for (std::size_t i = 0; i < static_cast<std::size_t>(0.14 * rate); ++i)
        {
            const double t = static_cast<double>(i) / rate;
            const double frequency = notes[n] * (1.0 + 1.5 * std::exp(-t / 0.012));
            phase += twoPi * frequency / rate;
            s.add(first + i, envelope(t, 0.002, 0.035) * std::sin(phase), pan);
        }
    }
    s.normalise(0.7);
    return write(path, s, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
}

// A small bell: a strike on A5 with the inharmonic partials of a bell, ringing out.
Signal ding(unsigned int rate, unsigned int channels)
{
    Signal s(rate, channels, 1.5);
    const double partials[][3] = {
        {1.0, 1.0, 0.9}, {2.76, 0.5, 0.45}, {5.40, 0.25, 0.25}, {8.93, 0.12, 0.12}, {0.5, 0.2, 1.2}};
    for (std::size_t i = 0; i < s.frames(); ++i)
    {
        const double t = static_cast<double>(i) / rate;
        double value = 0.0;
        for (const auto& p : partials)
            value += p[1] * envelope(t, 0.003, p[2] * 0.5) * std::sin(twoPi * 880.0 * p[0] * t);
        s.add(i, value, channels == 2 ? 0.3 * std::sin(twoPi * 1.5 * t) : 0.0);
    }
    s.normalise(0.8);
    return s;
}

bool writeDingFlac(const std::filesystem::path& path)
{
    return write(path, ding(44100, 1), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
}

bool writeDingMp3(const std::filesystem::path& path)
{
    return write(path, ding(48000, 2), SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
}

// An error buzz: two falling, square-ish low tones.
bool writeError(const std::filesystem::path& path)
{
    Signal s(44100, 1, 0.5);
    const double rate = s.sampleRate;
    const double tones[][2] = {{0.0, 311.1}, {0.2, 233.1}};
    for (const auto& tone : tones)
    {
        const auto first = static_cast<std::size_t>(tone[0] * rate);
        for (std::size_t i = 0; i < static_cast<std::size_t>(0.18 * rate); ++i)
        {
            const double t = static_cast<double>(i) / rate;
            double value = 0.0;
            for (int k = 1; k <= 9; k += 2)
                value += std::sin(twoPi * tone[1] * k * t) / k;
            const double gate = std::min(1.0, std::min(t, 0.18 - t) / 0.005);
            s.add(first + i, value * gate);
        }
    }
    s.normalise(0.6);
    return write(path, s, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
}

// A mouse button: a noise transient and a short resonant tick. The release is softer and lower.
Signal click(double tickFrequency, double loudness)
{
    Signal s(44100, 1, 0.5);
    const double rate = s.sampleRate;
    Noise noise;
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.03 * rate); ++i)
    {
        const double t = static_cast<double>(i) / rate;
        const double value = 0.6 * noise.next() * std::exp(-t / 0.0015) +
                             std::sin(twoPi * tickFrequency * t) * std::exp(-t / 0.004);
        s.add(i, value);
    }
    s.normalise(loudness);
    return s;
}

bool writeMouseClick(const std::filesystem::path& path)
{
    return write(path, click(2400.0, 0.8), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
}

bool writeMouseRelease(const std::filesystem::path& path)
{
    return write(path, click(1700.0, 0.5), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
}

// A ball hitting a paddle: a hollow thock whose pitch drops, over a short noise impact.
bool writeBall(const std::filesystem::path& path)
{
    Signal s(44100, 1, 0.5);
    const double rate = s.sampleRate;
    Noise noise;
    double phase = 0.0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(0.25 * rate); ++i)
    {
        const double t = static_cast<double>(i) / rate;
        const double frequency = 280.0 + 420.0 * std::exp(-t / 0.015);
        phase += twoPi * frequency / rate;
        const double value = envelope(t, 0.001, 0.04) * (std::sin(phase) + 0.3 * std::sin(2.0 * phase)) +
                             0.4 * noise.next() * std::exp(-t / 0.003);
        s.add(i, value);
    }
    s.normalise(0.8);
    return write(path, s, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
}

const resgen::Register killdeer{"killdeer.wav", writeKilldeer};
const resgen::Register doodlePop{"doodle_pop.ogg", writeDoodlePop};
const resgen::Register dingFlac{"ding.flac", writeDingFlac};
const resgen::Register dingMp3{"ding.mp3", writeDingMp3};
const resgen::Register error005{"error_005.ogg", writeError};
const resgen::Register mouseClick{"mouseclick1.ogg", writeMouseClick};
const resgen::Register mouseRelease{"mouserelease1.ogg", writeMouseRelease};
const resgen::Register ball{"ball.wav", writeBall};
} // namespace
