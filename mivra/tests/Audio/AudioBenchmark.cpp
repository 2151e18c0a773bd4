// Decoding speed of SoundBuffer on a minute of stereo audio in each format, against sox decoding
// the same files in the same run. Reported per format: our load in multiples of real time, sox's,
// and their ratio (goal: at least 1.5). Both sides are timed in CPU time (ours: the loading thread;
// sox: the child process, start-up included, through getrusage), so that a busy shared machine
// does not skew the ratio. Files are written once, to a temporary directory, before timing; each
// load reads a file the page cache already holds and, after the first, reuses memory the allocator
// got back from the previous load: this is the warm regime of repeated loads.
#include <mivra/Audio/SoundBuffer.hpp>

#include "../Support/TempDir.hpp"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace
{
constexpr unsigned int sampleRate = 44100;
constexpr double seconds = 60.0;

const std::filesystem::path& directory()
{
    static const mivra::test::TempDir dir;
    return dir.path();
}

// A minute of music-like stereo: a few drifting partials per channel and a little noise, so that
// the lossy encoders have real work.
const std::filesystem::path& fileFor(const std::string& extension)
{
    static std::map<std::string, std::filesystem::path> files;
    auto found = files.find(extension);
    if (found != files.end())
        return found->second;
    static std::vector<std::int16_t> samples;
    if (samples.empty())
    {
        const std::size_t frames = static_cast<std::size_t>(seconds * sampleRate);
        samples.resize(frames * 2);
        std::uint32_t noise = 12345;
        for (std::size_t f = 0; f < frames; ++f)
        {
            const double t = static_cast<double>(f) / sampleRate;
            for (int c = 0; c < 2; ++c)
            {
                double v = 0.0;
                for (int k = 1; k <= 4; ++k)
                    v += std::sin(6.283185307179586 * (110.0 * k * (1 + c * 0.5) + 3.0 * std::sin(t * k)) * t) / k;
                noise = noise * 1664525u + 1013904223u;
                v += (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.05;
                samples[2 * f + static_cast<std::size_t>(c)] = static_cast<std::int16_t>(std::lround(v * 9000.0));
            }
        }
    }
    mivra::SoundBuffer buffer;
    if (!buffer.loadFromSamples(samples.data(), samples.size(), 2, sampleRate,
                                {mivra::SoundChannel::FrontLeft, mivra::SoundChannel::FrontRight}))
        std::abort();
    const auto path = directory() / ("minute" + extension);
    if (!buffer.saveToFile(path))
        std::abort();
    return files[extension] = path;
}

double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU seconds sox needs to decode the file to nothing: the best of three runs. 0 when sox is
// missing.
double soxSeconds(const std::filesystem::path& file)
{
    static const bool haveSox = std::system("command -v sox >/dev/null 2>&1") == 0;
    if (!haveSox)
        return 0.0;
    double best = 1e9;
    for (int run = 0; run < 3; ++run)
    {
        const double start = childCpuSeconds();
        const std::string command = "sox -q \"" + file.string() + "\" -t s16 -r 44100 -c 2 /dev/null";
        if (std::system(command.c_str()) != 0)
            return 0.0;
        best = std::min(best, childCpuSeconds() - start);
    }
    return best;
}

void loadMinute(benchmark::State& state, const std::string& extension)
{
    const auto& file = fileFor(extension);
    const double sox = soxSeconds(file);
    std::size_t samples = 0;
    for (auto _ : state)
    {
        const mivra::SoundBuffer buffer(file);
        samples = buffer.getSampleCount();
        benchmark::DoNotOptimize(buffer.getSamples());
    }
    if (samples < static_cast<std::size_t>(seconds * sampleRate * 2 * 0.99))
        state.SkipWithError("the file decoded short");
    // A rate counter is divided by the CPU time of all iterations.
    state.counters["xRealtime"] = benchmark::Counter(seconds * static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate);
    if (sox > 0.0)
    {
        state.counters["sox_xRealtime"] = seconds / sox;
        state.counters["ratio"] = benchmark::Counter(static_cast<double>(state.iterations()) * sox,
                                                     benchmark::Counter::kIsRate);
    }
}
} // namespace

BENCHMARK_CAPTURE(loadMinute, wav, std::string(".wav"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadMinute, ogg, std::string(".ogg"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadMinute, flac, std::string(".flac"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(loadMinute, mp3, std::string(".mp3"))->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
