#pragma once

#include "Terrain.hpp"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace island
{
// Builds the cell rows of one block into scratch.vertices.
using BlockBuilder = std::function<void(std::uint32_t block, const TerrainSettings&, BlockScratch&)>;

// One block of a generation. The settings are the snapshot taken when the generation was queued,
// so editing them on the main thread never mixes values within a terrain.
struct TerrainJob
{
    Vertex* target;
    std::uint32_t block;
    TerrainSettings settings;
};

// Four threads that build terrains block by block. The main thread queues a generation of 32 jobs
// and, once per frame, hands the finished array over to the display under the same lock.
// Both sides poll with 10 ms sleeps.
class TerrainWorkers
{
public:
    static constexpr unsigned workerCount = 4;

    explicit TerrainWorkers(BlockBuilder builder = buildTerrainBlock);
    ~TerrainWorkers();
    TerrainWorkers(const TerrainWorkers&) = delete;
    TerrainWorkers& operator=(const TerrainWorkers&) = delete;

    void startTerrainWorkers();

    // Waits for the previous generation, then queues the 32 blocks of a new one into target
    // (terrainVertexCount vertices). Returns once the jobs are queued.
    void queueTerrainBuild(Vertex* target, const TerrainSettings& settings);

    enum class Handoff
    {
        Pending,     // a generation is still outstanding: nothing to show
        Shown,       // draw was called (after upload, if a new terrain had arrived)
        UploadFailed // upload returned false; draw was not called
    };
    // The per-frame handoff: under the lock, once no job is outstanding, calls upload() if a new
    // terrain is waiting in the array, then draw().
    Handoff handoff(const std::function<bool()>& upload, const std::function<void()>& draw);

    // Makes the workers end after the job each one holds, and joins them. Queued jobs are dropped.
    void stopTerrainWorkers();

    std::uint32_t jobsOutstanding() const;
    bool stopRequested() const;

private:
    void terrainWorker();

    BlockBuilder m_builder;
    mutable std::recursive_mutex m_jobMutex;
    std::deque<TerrainJob> m_jobQueue;
    std::uint32_t m_jobsOutstanding = 0;
    bool m_uploadNeeded = false; // main thread only
    bool m_workersActive = true;
    std::vector<std::thread> m_workers;
};
} // namespace island
