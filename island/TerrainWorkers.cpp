#include "TerrainWorkers.hpp"

#include <algorithm>
#include <chrono>

namespace island
{
namespace
{
void pollPause()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}
} // namespace

TerrainWorkers::TerrainWorkers(BlockBuilder builder) : m_builder(std::move(builder))
{
}

TerrainWorkers::~TerrainWorkers()
{
    stopTerrainWorkers();
}

void TerrainWorkers::startTerrainWorkers()
{
    for (unsigned i = 0; i < workerCount; ++i)
        m_workers.emplace_back(&TerrainWorkers::terrainWorker, this);
}

void TerrainWorkers::queueTerrainBuild(Vertex* target, const TerrainSettings& settings)
{
    m_uploadNeeded = true;
    for (;;)
    {
        {
            const std::lock_guard lock(m_jobMutex);
            if (m_jobsOutstanding == 0)
                break;
        }
        pollPause();
    }
    const std::lock_guard lock(m_jobMutex);
    for (std::uint32_t block = 0; block < blockCount; ++block)
        m_jobQueue.push_back({target, block, settings});
    m_jobsOutstanding = blockCount;
}

TerrainWorkers::Handoff TerrainWorkers::handoff(const std::function<bool()>& upload, const std::function<void()>& draw)
{
    const std::lock_guard lock(m_jobMutex);
    if (m_jobsOutstanding != 0)
        return Handoff::Pending;
    if (m_uploadNeeded)
    {
        if (!upload())
            return Handoff::UploadFailed;
        m_uploadNeeded = false;
    }
    draw();
    return Handoff::Shown;
}

void TerrainWorkers::stopTerrainWorkers()
{
    {
        const std::lock_guard lock(m_jobMutex);
        m_workersActive = false;
    }
    while (!m_workers.empty())
    {
        m_workers.back().join();
        m_workers.pop_back();
    }
}

std::uint32_t TerrainWorkers::jobsOutstanding() const
{
    const std::lock_guard lock(m_jobMutex);
    return m_jobsOutstanding;
}

bool TerrainWorkers::stopRequested() const
{
    const std::lock_guard lock(m_jobMutex);
    return !m_workersActive;
}

void TerrainWorkers::terrainWorker()
{
    BlockScratch scratch;
    scratch.vertices.assign(verticesPerBlock, Vertex{});
    for (;;)
    {
        std::unique_lock lock(m_jobMutex);
        if (!m_workersActive)
            return;
        if (m_jobQueue.empty())
        {
            lock.unlock();
            pollPause();
            continue;
        }
        const TerrainJob job = m_jobQueue.front();
        m_jobQueue.pop_front();
        lock.unlock();

        const BlockRows rows = blockRowRange(job.block);
        if (rows.first < rows.last)
        {
            m_builder(job.block, job.settings, scratch);
            const std::size_t count = static_cast<std::size_t>(rows.last - rows.first) * verticesPerRow;
            std::copy_n(scratch.vertices.begin(), count,
                        job.target + static_cast<std::size_t>(verticesPerBlock) * job.block);
        }

        lock.lock();
        --m_jobsOutstanding;
    }
}
} // namespace island
