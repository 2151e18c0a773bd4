// Times terrain generation on the four-worker pool: our block builder (each elevation of a block
// computed once, normals taken from those values) against the plain builder (every grid point
// through terrainVertexAt: five elevations and a moisture, sixteen noise samples). Both must give
// the same vertices bit for bit; the exit status says whether they did, never how fast they were.
#include "PlainTerrain.hpp"
#include "TerrainWorkers.hpp"
#include "VertexBits.hpp"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace
{
using namespace island;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of the whole process (all threads), which a loaded machine inflates less than the
// wall-clock time.
double processCpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Timing
{
    double wallMs;
    double cpuMs;
};

// One generation: queue, then poll the handoff as the frame loop would (but every millisecond).
Timing generate(TerrainWorkers& workers, std::vector<Vertex>& mesh, const TerrainSettings& settings)
{
    const auto start = Clock::now();
    const double cpuStart = processCpuMilliseconds();
    workers.queueTerrainBuild(mesh.data(), settings);
    while (workers.handoff([] { return true; }, [] {}) == TerrainWorkers::Handoff::Pending)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return {millisecondsSince(start), processCpuMilliseconds() - cpuStart};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main()
{
    const TerrainSettings settings;
    const int rounds = 9;

    // First generation: a fresh pool and an array created just before, as at program start.
    auto start = Clock::now();
    std::vector<Vertex> ours(terrainVertexCount);
    const double createMs = millisecondsSince(start);
    TerrainWorkers fast;
    fast.startTerrainWorkers();
    const Timing first = generate(fast, ours, settings);

    std::vector<Vertex> plain(terrainVertexCount);
    TerrainWorkers reference(testing::buildPlainTerrainBlock);
    reference.startTerrainWorkers();
    const Timing plainFirst = generate(reference, plain, settings);

    // Reused arrays, alternating the two builders so both see the same machine load.
    std::vector<double> oursMs, plainMs, oursCpu, plainCpu;
    for (int i = 0; i < rounds; ++i)
    {
        const Timing a = generate(fast, ours, settings);
        const Timing b = generate(reference, plain, settings);
        oursMs.push_back(a.wallMs);
        oursCpu.push_back(a.cpuMs);
        plainMs.push_back(b.wallMs);
        plainCpu.push_back(b.cpuMs);
    }
    fast.stopTerrainWorkers();
    reference.stopTerrainWorkers();

    std::size_t differing = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        differing += testing::sameBits(ours[i], plain[i]) ? 0 : 1;

    const double oursMedian = median(oursMs);
    const double plainMedian = median(plainMs);
    std::printf("terrain generation, %u vertices, %u workers, %d rounds (median)\n", terrainVertexCount,
                TerrainWorkers::workerCount, rounds);
    std::printf("  creating the array of default vertices: %8.1f ms\n", createMs);
    std::printf("  first generation, fresh array     ours: %8.1f ms   plain: %8.1f ms   (CPU %.1f / %.1f ms)\n",
                first.wallMs, plainFirst.wallMs, first.cpuMs, plainFirst.cpuMs);
    std::printf("  generation into the reused array  ours: %8.1f ms   plain: %8.1f ms   ratio %.3f\n", oursMedian,
                plainMedian, oursMedian / plainMedian);
    const double oursCpuMedian = median(oursCpu);
    const double plainCpuMedian = median(plainCpu);
    std::printf("  CPU time of all threads, reused    ours: %8.1f ms   plain: %8.1f ms   ratio %.3f\n", oursCpuMedian,
                plainCpuMedian, oursCpuMedian / plainCpuMedian);
    std::printf("  vertices differing: %zu\n", differing);
    return differing == 0 ? 0 : 1;
}
