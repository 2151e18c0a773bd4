#pragma once

#include "Terrain.hpp"
#include "TerrainWorkers.hpp"

#include <cstddef>
#include <vector>

namespace island
{
// The terrain vertex array and the workers that write into it, owned together. The workers are
// declared after the array, so however the owner's scope is left (an exception included) they
// are stopped and joined before the memory they copy into is freed.
class TerrainMesh
{
public:
    explicit TerrainMesh(BlockBuilder builder = buildTerrainBlock) : workers(std::move(builder)) {}

    // Makes room for `count` default vertices, then starts the workers. False, with no worker
    // started, when that much memory cannot be had.
    bool allocate(std::size_t count = terrainVertexCount);

    // Waits for the generation in progress, then queues a new one into the array.
    void queueBuild(const TerrainSettings& settings) { workers.queueTerrainBuild(vertices.data(), settings); }

    std::vector<Vertex> vertices;
    TerrainWorkers workers;
};
} // namespace island
