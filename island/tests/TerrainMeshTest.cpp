#include "TerrainMesh.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace island
{
namespace
{
using namespace std::chrono_literals;

TEST(TerrainMesh, AFailedAllocationStartsNoWorkerAndLeavesNoArray)
{
    TerrainMesh mesh;
    EXPECT_FALSE(mesh.allocate(mesh.vertices.max_size() + 1));
    EXPECT_TRUE(mesh.vertices.empty());
    // With no worker running, a queued generation would never finish: none may have started.
    mesh.queueBuild(TerrainSettings{});
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(mesh.workers.jobsOutstanding(), blockCount);
}

TEST(TerrainMesh, AllocatesDefaultVerticesAndBuildsIntoThem)
{
    TerrainMesh mesh([](std::uint32_t block, const TerrainSettings&, BlockScratch& scratch) {
        scratch.vertices.assign(verticesPerBlock, Vertex{{1.f, static_cast<float>(block)}});
    });
    ASSERT_TRUE(mesh.allocate());
    ASSERT_EQ(mesh.vertices.size(), terrainVertexCount);
    EXPECT_EQ(mesh.vertices.front().color, Color::White);
    mesh.queueBuild(TerrainSettings{});
    for (int i = 0; i < 5000 && mesh.workers.jobsOutstanding() != 0; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(mesh.workers.jobsOutstanding(), 0u);
    EXPECT_EQ(mesh.vertices[static_cast<std::size_t>(verticesPerBlock) * 31].position, mivra::Vector2f(1.f, 31.f));
}

// A scope left by an exception while blocks are being built: the workers finish the block each
// holds and are joined while the array is still there (AddressSanitizer sees any late copy).
TEST(TerrainMesh, LeavingTheScopeMidGenerationJoinsTheWorkersFirst)
{
    std::atomic<int> started = 0;
    std::atomic<int> finished = 0;
    const auto slowBuilder = [&](std::uint32_t, const TerrainSettings&, BlockScratch& scratch) {
        ++started;
        std::this_thread::sleep_for(30ms);
        scratch.vertices.assign(verticesPerBlock, Vertex{{2.f, 3.f}});
        ++finished;
    };
    try
    {
        TerrainMesh mesh(slowBuilder);
        ASSERT_TRUE(mesh.allocate());
        mesh.queueBuild(TerrainSettings{});
        while (started == 0)
            std::this_thread::sleep_for(1ms);
        throw std::runtime_error("leaving the scope");
    }
    catch (const std::runtime_error&)
    {
    }
    EXPECT_GT(started.load(), 0);
    EXPECT_EQ(finished.load(), started.load());
    EXPECT_LT(started.load(), static_cast<int>(blockCount)); // queued jobs were dropped
}
} // namespace
} // namespace island
