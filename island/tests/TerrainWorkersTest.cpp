#include "Terrain.hpp"
#include "TerrainWorkers.hpp"
#include "VertexBits.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace island
{
namespace
{
using namespace std::chrono_literals;
using testing::sameBits;

// Polls the handoff like the frame loop does, until the terrain is shown; gives up after a
// generous 50 s so a hang fails the test instead of the whole run.
TerrainWorkers::Handoff waitUntilShown(TerrainWorkers& workers, int& uploads)
{
    const auto deadline = std::chrono::steady_clock::now() + 50s;
    for (;;)
    {
        const auto result = workers.handoff(
            [&] {
                ++uploads;
                return true;
            },
            [] {});
        if (result != TerrainWorkers::Handoff::Pending || std::chrono::steady_clock::now() > deadline)
            return result;
        std::this_thread::sleep_for(2ms);
    }
}

// Every cell row r gets vertices marking (row, tag), so the array shows which block wrote where.
struct MarkingBuilder
{
    std::mutex mutex;
    std::vector<std::pair<float, std::uint32_t>> builds; // (tag, block), in the order builds started

    void operator()(std::uint32_t block, const TerrainSettings& settings, BlockScratch& scratch)
    {
        {
            const std::lock_guard lock(mutex);
            builds.emplace_back(settings.heightBase, block);
        }
        const BlockRows rows = blockRowRange(block);
        for (std::uint32_t y = rows.first; y < rows.last; ++y)
            for (std::uint32_t i = 0; i < verticesPerRow; ++i)
                scratch.vertices[(y - rows.first) * verticesPerRow + i] =
                    Vertex{{static_cast<float>(i), static_cast<float>(y)}, {1, 2, 3, 4}, {settings.heightBase, 0.0f}};
    }
};

TEST(TerrainWorkers, GenerationEqualsPerSlotEvaluationBitForBit)
{
    TerrainSettings settings;
    settings.perlinFrequency = 6.1f;
    settings.heightBase = 0.05f;
    std::vector<Vertex> mesh(terrainVertexCount);
    {
        TerrainWorkers workers;
        workers.startTerrainWorkers();
        workers.queueTerrainBuild(mesh.data(), settings);
        int uploads = 0;
        ASSERT_EQ(waitUntilShown(workers, uploads), TerrainWorkers::Handoff::Shown);
        EXPECT_EQ(uploads, 1);
        workers.stopTerrainWorkers();
    }
    // Each grid point once, then every slot compared with the point it shows.
    std::vector<Vertex> points(static_cast<std::size_t>(gridWidth + 1) * (gridHeight + 1));
    for (std::uint32_t y = 0; y <= gridHeight; ++y)
        for (std::uint32_t x = 0; x <= gridWidth; ++x)
            points[y * (gridWidth + 1) + x] = terrainVertexAt(x, y, settings);
    for (std::uint32_t y = 0; y < gridHeight; ++y)
        for (std::uint32_t x = 0; x < gridWidth; ++x)
            for (std::uint32_t slot = 0; slot < verticesPerCell; ++slot)
            {
                const GridPoint p = cellSlotPoint(x, y, slot);
                const Vertex& expected = points[p.y * (gridWidth + 1) + p.x];
                const Vertex& actual = mesh[6 * (800 * y + x) + slot];
                ASSERT_TRUE(sameBits(actual, expected))
                    << "cell " << x << ", " << y << " slot " << slot << ": " << actual << " instead of " << expected;
            }
}

TEST(TerrainWorkers, EveryRowIsBuiltOnceAndCopiedToItsPlace)
{
    MarkingBuilder marker;
    std::vector<Vertex> mesh(terrainVertexCount, Vertex{{-1.0f, -1.0f}, {}, {}});
    TerrainWorkers workers(
        [&](std::uint32_t b, const TerrainSettings& s, BlockScratch& scratch) { marker(b, s, scratch); });
    workers.startTerrainWorkers();
    TerrainSettings settings;
    settings.heightBase = 7.0f;
    workers.queueTerrainBuild(mesh.data(), settings);
    int uploads = 0;
    ASSERT_EQ(waitUntilShown(workers, uploads), TerrainWorkers::Handoff::Shown);
    workers.stopTerrainWorkers();

    std::vector<int> timesBuilt(blockCount, 0);
    for (const auto& [tag, block] : marker.builds)
    {
        ASSERT_LT(block, blockCount);
        ++timesBuilt[block];
    }
    for (std::uint32_t block = 0; block < blockCount; ++block)
        EXPECT_EQ(timesBuilt[block], 1) << "block " << block;
    for (std::size_t i = 0; i < mesh.size(); ++i)
    {
        const auto row = static_cast<float>(i / verticesPerRow);
        const auto column = static_cast<float>(i % verticesPerRow);
        ASSERT_EQ(mesh[i].position, mivra::Vector2f(column, row)) << "vertex " << i;
        ASSERT_EQ(mesh[i].texCoords.x, 7.0f) << "vertex " << i;
    }
    // The last block holds 11 rows: 52,800 vertices from vertex 2,827,200.
    EXPECT_EQ(mesh[2'827'200].position.y, 589.0f);
    EXPECT_EQ(mesh[2'827'200 + 52'800 - 1].position.y, 599.0f);
}

TEST(TerrainWorkers, SecondGenerationWaitsForTheFirstAndOnlyItIsUploaded)
{
    MarkingBuilder marker;
    std::vector<Vertex> mesh(terrainVertexCount);
    TerrainWorkers workers(
        [&](std::uint32_t b, const TerrainSettings& s, BlockScratch& scratch) { marker(b, s, scratch); });
    workers.startTerrainWorkers();
    TerrainSettings settings;
    settings.heightBase = 1.0f;
    workers.queueTerrainBuild(mesh.data(), settings);
    settings.heightBase = 2.0f; // an edit after queueing does not reach the queued generation
    workers.queueTerrainBuild(mesh.data(), settings);
    settings.heightBase = 3.0f;
    int uploads = 0;
    ASSERT_EQ(waitUntilShown(workers, uploads), TerrainWorkers::Handoff::Shown);
    EXPECT_EQ(uploads, 1);
    // A later frame draws the same terrain without uploading it again.
    EXPECT_EQ(workers.handoff(
                  [&] {
                      ++uploads;
                      return true;
                  },
                  [] {}),
              TerrainWorkers::Handoff::Shown);
    EXPECT_EQ(uploads, 1);
    workers.stopTerrainWorkers();

    ASSERT_EQ(marker.builds.size(), 2u * blockCount);
    for (std::size_t i = 0; i < marker.builds.size(); ++i)
        EXPECT_EQ(marker.builds[i].first, i < blockCount ? 1.0f : 2.0f)
            << "build " << i << " of block " << marker.builds[i].second;
    for (std::size_t i = 0; i < mesh.size(); i += 997)
        ASSERT_EQ(mesh[i].texCoords.x, 2.0f) << "vertex " << i;
}

TEST(TerrainWorkers, ClosingDuringAGenerationDropsTheQueuedJobs)
{
    std::atomic<int> started{0};
    std::atomic<int> finished{0};
    TerrainWorkers* pool = nullptr;
    // Each block holds its worker until shutdown has been requested.
    TerrainWorkers workers([&](std::uint32_t, const TerrainSettings&, BlockScratch&) {
        ++started;
        while (!pool->stopRequested())
            std::this_thread::sleep_for(1ms);
        ++finished;
    });
    pool = &workers;
    std::vector<Vertex> mesh(terrainVertexCount);
    workers.startTerrainWorkers();
    workers.queueTerrainBuild(mesh.data(), TerrainSettings{});

    const auto deadline = std::chrono::steady_clock::now() + 50s;
    while (started < 4 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(started, 4);
    bool drawn = false;
    EXPECT_EQ(workers.handoff([] { return true; }, [&] { drawn = true; }), TerrainWorkers::Handoff::Pending);
    EXPECT_FALSE(drawn);

    workers.stopTerrainWorkers();
    EXPECT_EQ(started, 4);
    EXPECT_EQ(finished, 4);
    EXPECT_EQ(workers.jobsOutstanding(), blockCount - 4);
}

TEST(TerrainWorkers, FailedUploadIsReportedAndNothingIsDrawn)
{
    std::vector<Vertex> mesh(terrainVertexCount);
    TerrainWorkers workers([](std::uint32_t, const TerrainSettings&, BlockScratch&) {});
    workers.startTerrainWorkers();
    workers.queueTerrainBuild(mesh.data(), TerrainSettings{});
    const auto deadline = std::chrono::steady_clock::now() + 50s;
    while (workers.jobsOutstanding() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    bool drawn = false;
    EXPECT_EQ(workers.handoff([] { return false; }, [&] { drawn = true; }), TerrainWorkers::Handoff::UploadFailed);
    EXPECT_FALSE(drawn);
}

TEST(TerrainWorkers, StoppingWithoutStartingOnlyRaisesTheFlag)
{
    TerrainWorkers workers;
    workers.stopTerrainWorkers();
    EXPECT_TRUE(workers.stopRequested());
}
} // namespace
} // namespace island
