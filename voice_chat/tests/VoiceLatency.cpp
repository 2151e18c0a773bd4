// Voice chat latency on loopback: from the moment the client's recorder gets a captured batch to
// the moment the server's stream hands the batch's first sample to the output. Client and server
// run in this one process over a real TCP connection, capture and playback through SDL's disk
// driver in real time. Prints p50, p90, p99 and the worst case in milliseconds (goal: p50 at most
// 60 ms).
#include "NetworkAudioStream.hpp"
#include "NetworkRecorder.hpp"

#include <mivra/Network/TcpListener.hpp>
#include <mivra/System/Sleep.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <thread>
#include <vector>

#include <unistd.h>

namespace
{
using Clock = std::chrono::steady_clock;

struct Timeline
{
    std::mutex mutex;
    std::vector<std::pair<std::uint64_t, Clock::time_point>> captured; // first sample index, time
    std::vector<std::pair<std::uint64_t, Clock::time_point>> handed;   // end sample index, time
};

Timeline timeline;

class TimedRecorder : public NetworkRecorder
{
public:
    using NetworkRecorder::NetworkRecorder;
    ~TimedRecorder() override { stop(); }

protected:
    bool onCapturedSamples(const std::int16_t* samples, std::size_t sampleCount) override
    {
        {
            std::lock_guard lock(timeline.mutex);
            timeline.captured.emplace_back(m_total, Clock::now());
        }
        m_total += sampleCount;
        return NetworkRecorder::onCapturedSamples(samples, sampleCount);
    }

private:
    std::uint64_t m_total{};
};

class TimedStream : public NetworkAudioStream
{
public:
    ~TimedStream() override { stop(); }

protected:
    bool onRequestData(Chunk& chunk) override
    {
        const bool more = NetworkAudioStream::onRequestData(chunk);
        m_total += chunk.sampleCount;
        if (chunk.sampleCount > 0)
        {
            std::lock_guard lock(timeline.mutex);
            timeline.handed.emplace_back(m_total, Clock::now());
        }
        return more;
    }

private:
    std::uint64_t m_total{};
};
} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const auto directory = std::filesystem::temp_directory_path() /
                           ("mivra-voice-latency-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    {
        // Capture input: a tone, then the driver reads silence past its end.
        std::ofstream input(directory / "in.raw", std::ios::binary);
        for (int i = 0; i < 44100 * 2; ++i)
        {
            const auto s = static_cast<std::int16_t>(1000 + (i * 37) % 8000);
            input.write(reinterpret_cast<const char*>(&s), 2);
        }
    }
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", (directory / "out.raw").c_str(), 1);
    ::setenv("SDL_DISKAUDIOFILEIN", (directory / "in.raw").c_str(), 1);
    ::unsetenv("SDL_DISKAUDIODELAY"); // real time on both sides

    std::cout.setstate(std::ios::failbit); // the routines' own messages are not figures
    TimedStream stream;
    if (!stream.listen(0))
    {
        std::cerr << "cannot listen" << std::endl;
        return 1;
    }
    const unsigned short port = stream.listeningPort();
    std::thread server([&] { stream.acceptAndPlay(); });
    {
        TimedRecorder recorder(mivra::IpAddress::LocalHost, port);
        bool started = false;
        for (int attempt = 0; attempt < 200 && !started; ++attempt)
        {
            started = recorder.start(44100);
            if (!started)
                mivra::sleep(mivra::milliseconds(10));
        }
        if (!started)
        {
            std::cerr << "the recorder could not connect" << std::endl;
            std::_Exit(1);
        }
        mivra::sleep(mivra::seconds(static_cast<float>(seconds)));
        recorder.stop();
    }
    server.join();
    while (stream.getStatus() != mivra::SoundSource::Status::Stopped)
        mivra::sleep(mivra::milliseconds(10));
    std::cout.clear();

    std::vector<double> latencies;
    std::size_t next = 0;
    for (const auto& [first, capturedAt] : timeline.captured)
    {
        while (next < timeline.handed.size() && timeline.handed[next].first <= first)
            ++next;
        if (next == timeline.handed.size())
            break;
        latencies.push_back(
            std::chrono::duration<double, std::milli>(timeline.handed[next].second - capturedAt).count());
    }
    std::filesystem::remove_all(directory);
    if (latencies.empty())
    {
        std::cerr << "no batch reached the output" << std::endl;
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) {
        return latencies[static_cast<std::size_t>(q * static_cast<double>(latencies.size() - 1))];
    };
    std::printf("voice chat latency over %zu batches, capture to output hand-over (ms): p50 %.1f  p90 %.1f  p99 %.1f  "
                "max %.1f\n",
                latencies.size(), at(0.5), at(0.9), at(0.99), latencies.back());
    std::printf("goal p50 <= 60 ms: %s\n", at(0.5) <= 60.0 ? "met" : "missed");
    return 0;
}
