// What playing costs: process CPU time per second of audio for the library's mixer and for
// SDL_mixer doing the same thing, case by case, the two side by side in one run. Both sides
// play through SDL's dummy driver (which paces the callbacks in real time and plays into nothing)
// at 44.1 kHz stereo in 1024-frame periods, and each measurement runs in a process of its own
// (this program, started again with --side), so that one side's threads and the library's
// process-wide output never weigh on the other. The sounds are written by the library at start-up
// into a scratch directory. Each figure is the median of the rounds; the ratio is library / SDL_mixer.
// The program fails only when a side cannot play; speed is reported, never judged.
#include <mivra/Audio/Music.hpp>
#include <mivra/Audio/Sound.hpp>
#include <mivra/Audio/SoundBuffer.hpp>

#include "../Support/TempDir.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
struct Case
{
    const char* name;
    const char* file; // empty: nothing plays
    int sounds;       // copies played at once; 0: the file is streamed as music
};

constexpr std::array cases{
    Case{"idle device", "", 0},
    Case{"8 short sounds", "short.wav", 8},
    Case{"32 short sounds", "short.wav", 32},
    Case{"128 short sounds", "short.wav", 128},
    Case{"32 sounds at 22.05 kHz", "short22050.wav", 32},
    Case{"one streamed OGG", "music.ogg", 0},
    Case{"one streamed FLAC", "music.flac", 0},
};

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU milliseconds the process spends per second of wall time (= of audio) while `seconds` pass.
double measure(double seconds)
{
    // Past the start-up: the first periods, the first chunks decoded.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double cpuBefore = processCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return (processCpuSeconds() - cpuBefore) * 1000.0 / wall;
}

// Music-like stereo: a few drifting partials per channel and a little noise, so that the lossy
// encoder has real work; quiet enough that 128 copies mixed stay within range most of the time.
std::vector<std::int16_t> musicLike(double seconds, unsigned int rate, double amplitude)
{
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<std::int16_t> samples(frames * 2);
    std::uint32_t noise = 12345;
    for (std::size_t f = 0; f < frames; ++f)
    {
        const double t = static_cast<double>(f) / rate;
        for (std::size_t c = 0; c < 2; ++c)
        {
            double v = 0.0;
            for (int k = 1; k <= 4; ++k)
                v += std::sin(6.283185307179586 *
                              (220.0 * k * (1 + static_cast<double>(c) * 0.5) + 3.0 * std::sin(t * k)) * t) /
                     k;
            noise = noise * 1664525u + 1013904223u;
            v += (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.05;
            samples[2 * f + c] = static_cast<std::int16_t>(std::lround(v * amplitude));
        }
    }
    return samples;
}

void writeFiles(const std::filesystem::path& dir)
{
    const auto write = [&](const char* name, double seconds, unsigned int rate, double amplitude) {
        const auto samples = musicLike(seconds, rate, amplitude);
        mivra::SoundBuffer buffer;
        if (!buffer.loadFromSamples(samples.data(), samples.size(), 2, rate,
                                    {mivra::SoundChannel::FrontLeft, mivra::SoundChannel::FrontRight}) ||
            !buffer.saveToFile(dir / name))
        {
            std::cerr << "cannot write " << (dir / name) << '\n';
            std::exit(1);
        }
    };
    write("short.wav", 0.4, 44100, 400.0);
    write("short22050.wav", 0.4, 22050, 400.0);
    write("music.ogg", 20.0, 44100, 9000.0);
    write("music.flac", 20.0, 44100, 9000.0);
}

int runLibrary(const Case& c, const std::filesystem::path& dir, double seconds)
{
    mivra::SoundBuffer buffer;
    std::list<mivra::Sound> sounds;
    mivra::Music music;
    if (c.sounds > 0 || c.file[0] == '\0')
    {
        // The idle case opens the output through a sound that never plays.
        if (!buffer.loadFromFile(dir / (c.file[0] ? c.file : "short.wav")))
            return 1;
        for (int i = 0; i < std::max(c.sounds, 1); ++i)
        {
            sounds.emplace_back(buffer);
            sounds.back().setLooping(true);
        }
        if (c.sounds > 0)
            for (auto& sound : sounds)
                sound.play();
    }
    else
    {
        if (!music.openFromFile(dir / c.file))
            return 1;
        music.setLooping(true);
        music.play();
    }
    std::printf("%.3f\n", measure(seconds));
    return 0;
}

int runMixer(const Case& c, const std::filesystem::path& dir, double seconds)
{
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0)
    {
        std::cerr << "SDL_mixer: " << Mix_GetError() << '\n';
        return 1;
    }
    Mix_Init(MIX_INIT_OGG | MIX_INIT_FLAC);
    Mix_AllocateChannels(std::max(c.sounds, 8));
    Mix_Chunk* chunk = nullptr;
    Mix_Music* music = nullptr;
    if (c.sounds > 0)
    {
        chunk = Mix_LoadWAV((dir / c.file).c_str());
        if (!chunk)
        {
            std::cerr << "SDL_mixer: " << Mix_GetError() << '\n';
            return 1;
        }
        for (int i = 0; i < c.sounds; ++i)
            Mix_PlayChannel(i, chunk, -1);
    }
    else if (c.file[0] != '\0')
    {
        music = Mix_LoadMUS((dir / c.file).c_str());
        if (!music || Mix_PlayMusic(music, -1) != 0)
        {
            std::cerr << "SDL_mixer: " << Mix_GetError() << '\n';
            return 1;
        }
    }
    std::printf("%.3f\n", measure(seconds));
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    if (chunk)
        Mix_FreeChunk(chunk);
    if (music)
        Mix_FreeMusic(music);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();
    return 0;
}

// One side of one case, run as this program in a process of its own.
class Side
{
public:
    Side(const char* self, const char* side, std::size_t caseIndex, const std::filesystem::path& dir, double seconds)
    {
        const std::string command = std::string("'") + self + "' --side " + side + " " + std::to_string(caseIndex) +
                                    " '" + dir.string() + "' " + std::to_string(seconds);
        m_pipe = popen(command.c_str(), "r");
    }
    Side(const Side&) = delete;
    Side& operator=(const Side&) = delete;
    ~Side() { result(); }

    // The CPU ms per second the side printed, or a negative value if it failed.
    double result()
    {
        if (!m_pipe)
            return m_value;
        if (std::fscanf(m_pipe, "%lf", &m_value) != 1)
            m_value = -1.0;
        if (pclose(m_pipe) != 0)
            m_value = -1.0;
        m_pipe = nullptr;
        return m_value;
    }

private:
    FILE* m_pipe{nullptr};
    double m_value{-1.0};
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::string(argv[1]) == "--side")
    {
        const Case& c = cases.at(std::stoul(argv[3]));
        const double seconds = std::stod(argv[5]);
        return std::string(argv[2]) == "library" ? runLibrary(c, argv[4], seconds) : runMixer(c, argv[4], seconds);
    }
    // --rounds N --seconds S
    int rounds = 3;
    double seconds = 1.0;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        if (std::string(argv[i]) == "--rounds")
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::string(argv[i]) == "--seconds")
            seconds = std::max(0.2, std::atof(argv[i + 1]));
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const mivra::test::TempDir dir;
    writeFiles(dir.path());

    std::vector<std::vector<double>> library(cases.size()), mixer(cases.size());
    for (int round = 0; round < rounds; ++round)
    {
        for (std::size_t i = 0; i < cases.size(); ++i)
        {
            // Both sides of a case run at once: each takes a few per cent of one core at most, so
            // neither delays the other, and the benchmark takes half the time.
            Side librarySide(argv[0], "library", i, dir.path(), seconds);
            Side mixerSide(argv[0], "mixer", i, dir.path(), seconds);
            const double ours = librarySide.result();
            const double theirs = mixerSide.result();
            if (ours < 0 || theirs < 0)
            {
                std::cerr << cases[i].name << ": the " << (ours < 0 ? "library" : "SDL_mixer") << " side failed\n";
                return 1;
            }
            library[i].push_back(ours);
            mixer[i].push_back(theirs);
            std::printf("round %d  %-24s library %7.2f  SDL_mixer %7.2f ms/s\n", round + 1, cases[i].name, ours,
                        theirs);
            std::fflush(stdout);
        }
    }
    std::printf("\nCPU ms per second of audio (median of %d rounds of %.1f s; dummy driver, 44.1 kHz stereo, "
                "1024-frame periods)\n",
                rounds, seconds);
    std::printf("%-24s %10s %10s %7s\n", "case", "library", "SDL_mixer", "ratio");
    for (std::size_t i = 0; i < cases.size(); ++i)
    {
        const double ours = median(library[i]);
        const double theirs = median(mixer[i]);
        std::printf("%-24s %10.2f %10.2f %7.2f\n", cases[i].name, ours, theirs, theirs > 0 ? ours / theirs : 0.0);
    }
    return 0;
}
