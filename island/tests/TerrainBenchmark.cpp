// Times terrain generation on the four-worker pool: our block builder (each elevation of a block
// computed once, normals taken from those values) against the plain builder (every grid point
// through terrainVertexAt: five elevations and a moisture, sixteen noise samples). Both must give
// the same vertices bit for bit; the exit status says whether they did, never how fast they were.
#include "PlainTerrain.hpp"
#include "TerrainWorkers.hpp"
#include "VertexBits.hpp"

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

// One generation: queue, then poll the handoff as the frame loop would (but every millisecond).
double generate(TerrainWorkers& workers, std::vector<Vertex>& mesh, const TerrainSettings& settings)
{
    const auto start = Clock::now();
    workers.queueTerrainBuild(mesh.data(), settings);
    while (workers.handoff([] { return true; }, [] {}) == TerrainWorkers::Handoff::Pending)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return millisecondsSince(start);
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
    const int rounds = 5;

    // First generation: a fresh pool and an array created just before, as at program start.
    auto start = Clock::now();
    std::vector<Vertex> ours(terrainVertexCount);
    const double createMs = millisecondsSince(start);
    TerrainWorkers fast;
    fast.startTerrainWorkers();
    const double firstMs = generate(fast, ours, settings);

    std::vector<Vertex> plain(terrainVertexCount);
    TerrainWorkers reference(testing::buildPlainTerrainBlock);
    reference.startTerrainWorkers();
    const double plainFirstMs = generate(reference, plain, settings);

    // Reused arrays, alternating the two builders so both see the same machine load.
    std::vector<double> oursMs, plainMs;
    for (int i = 0; i < rounds; ++i)
    {
        oursMs.push_back(generate(fast, ours, settings));
        plainMs.push_back(generate(reference, plain, settings));
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
    std::printf("  first generation, fresh array   ours:   %8.1f ms   plain: %8.1f ms\n", firstMs, plainFirstMs);
    std::printf("  generation into the reused array ours:  %8.1f ms   plain: %8.1f ms\n", oursMedian, plainMedian);
    std::printf("  ratio ours / plain (reused array): %.3f\n", oursMedian / plainMedian);
    std::printf("  vertices differing: %zu\n", differing);
    return differing == 0 ? 0 : 1;
}
