#pragma once

// The straightforward block builder: every grid point of the block through terrainVertexAt (five
// elevations and a moisture each), reused for every slot that shows it. The optimised builder must
// match it bit for bit; the benchmark measures against it.
#include "Terrain.hpp"

namespace island::testing
{
inline void buildPlainTerrainBlock(std::uint32_t block, const TerrainSettings& settings, BlockScratch& scratch)
{
    const auto [first, last] = blockRowRange(block);
    scratch.vertices.resize(verticesPerBlock);
    Vertex* rows = scratch.vertices.data();
    for (std::uint32_t y = first; y < last; ++y)
    {
        Vertex* row = rows + static_cast<std::size_t>(y - first) * verticesPerRow;
        Vertex* previous = row - verticesPerRow;
        const bool firstRow = y == first;
        row[0] = firstRow ? terrainVertexAt(0, y, settings) : previous[1];
        row[1] = terrainVertexAt(0, y + 1, settings);
        for (std::uint32_t x = 0; x < gridWidth; ++x)
        {
            Vertex* cell = row + static_cast<std::size_t>(x) * verticesPerCell;
            cell[2] = terrainVertexAt(x + 1, y + 1, settings);
            cell[3] = cell[0];
            cell[4] = cell[2];
            cell[5] = firstRow ? terrainVertexAt(x + 1, y, settings)
                               : previous[static_cast<std::size_t>(x) * verticesPerCell + 2];
            if (x < gridWidth - 1)
            {
                cell[6] = cell[5];
                cell[7] = cell[2];
            }
        }
    }
}
} // namespace island::testing
