#pragma once

#include "MeshVertex.hpp"

#include <cstdint>
#include <vector>

namespace island
{
// The nine editable terrain settings, in the order the panel lists them.
struct TerrainSettings
{
    float perlinFrequency = 7.0f;
    float perlinFrequencyBase = 4.0f;
    float heightBase = 0.0f;
    float edgeFactor = 0.9f;
    float edgeDropoffExponent = 1.5f;
    float snowcapHeight = 0.6f;
    float heightFactor = 300.0f;
    float heightFlatten = 3.0f;
    float lightFactor = 0.7f;
};

inline constexpr unsigned perlinOctaves = 3;

// The grid has one cell per window pixel; points run from 0 to the width/height inclusive.
inline constexpr std::uint32_t gridWidth = 800;
inline constexpr std::uint32_t gridHeight = 600;
inline constexpr std::uint32_t verticesPerCell = 6;
inline constexpr std::uint32_t verticesPerRow = gridWidth * verticesPerCell;
inline constexpr std::uint32_t terrainVertexCount = verticesPerRow * gridHeight;

// Generation is cut into blocks of rows so several threads can share it.
inline constexpr std::uint32_t blockCount = 32;
inline constexpr std::uint32_t blockRows = gridHeight / blockCount + 1;
inline constexpr std::uint32_t verticesPerBlock = blockRows * verticesPerRow;

// Pure functions of the grid point and the settings; safe to call from any number of threads.
float elevationAt(std::uint32_t x, std::uint32_t y, const TerrainSettings& settings);
float moistureAt(std::uint32_t x, std::uint32_t y);
Color lowlandShade(float moisture);
Color highlandShade(float elevation, float moisture);
Color terrainColor(float elevation, float moisture, const TerrainSettings& settings);
mivra::Vector2f terrainNormal(float right, float left, float up, float down, const TerrainSettings& settings);
Vertex terrainVertexAt(std::uint32_t x, std::uint32_t y, const TerrainSettings& settings);

// The grid point shown by a slot (0 to 5) of the cell (x, y): two triangles sharing the diagonal
// from (x, y) to (x + 1, y + 1).
struct GridPoint
{
    std::uint32_t x;
    std::uint32_t y;
    friend constexpr bool operator==(const GridPoint&, const GridPoint&) = default;
};
GridPoint cellSlotPoint(std::uint32_t x, std::uint32_t y, std::uint32_t slot);

// Working memory of one block builder, kept between blocks so building allocates nothing.
struct BlockScratch
{
    std::vector<Vertex> vertices;        // blockRows rows of cells
    std::vector<float> flattenedHeights; // the elevations raised to heightFlatten, with a border
    std::vector<float> elevations;
    std::vector<Vertex> pointRows; // the terrain vertices of two rows of grid points
};

// Rows of cells [first, last) of a block, clipped to the grid.
struct BlockRows
{
    std::uint32_t first;
    std::uint32_t last;
};
BlockRows blockRowRange(std::uint32_t block);

// Builds the cell rows of a block into scratch.vertices (local row r at 4,800 × r). Each elevation
// the block needs is computed once; the result equals terrainVertexAt for every slot.
void buildTerrainBlock(std::uint32_t block, const TerrainSettings& settings, BlockScratch& scratch);
} // namespace island
