#include "Terrain.hpp"

#include <stb_perlin.h>

#include <algorithm>
#include <cassert>
#include <cmath>

namespace island
{
namespace
{
float noise(float x, float y)
{
    return stb_perlin_noise3(x, y, 0.0f, 0, 0, 0);
}

// Float to colour channel, truncating toward zero. Out-of-range values (possible only with
// extreme settings) are pinned to the channel's range instead of overflowing.
std::uint8_t channel(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 255.0f)
        return 255;
    return static_cast<std::uint8_t>(value);
}

// The octave weights depend only on perlinFrequencyBase, so a block computes them once.
struct Octaves
{
    float frequency[perlinOctaves];
    float amplitude[perlinOctaves];

    explicit Octaves(float base)
    {
        for (unsigned i = 0; i < perlinOctaves; ++i)
        {
            frequency[i] = static_cast<float>(std::pow(static_cast<double>(base), static_cast<double>(i)));
            amplitude[i] = static_cast<float>(std::pow(static_cast<double>(base), -static_cast<double>(i)));
        }
    }
};

// Elevation of the grid point (gx, gy); gx and gy may be -1 for the neighbours beyond the top and
// left edges.
float elevationAtPoint(float gx, float gy, const TerrainSettings& settings, const Octaves& octaves)
{
    const mivra::Vector2f p(gx / 800.0f - 0.5f, gy / 600.0f - 0.5f);
    const float frequency = settings.perlinFrequency;
    float sum = 0.0f;
    for (unsigned i = 0; i < perlinOctaves; ++i)
    {
        const float f = octaves.frequency[i];
        const float n = noise((frequency * p.x) * f, (frequency * p.y) * f);
        sum = sum + octaves.amplitude[i] * n;
    }
    const float h = (sum + 1.0f) * 0.5f + settings.heightBase;
    const float d = p.length();
    const float falloff = 1.0f - settings.edgeFactor * std::pow(d + d, settings.edgeDropoffExponent);
    const float e = falloff * h;
    // Written so that a NaN (an infinite falloff times a zero height) also ends up as 0.
    if (!(e >= 0.0f))
        return 0.0f;
    return std::min(e, 1.0f);
}

float moistureAtPoint(float gx, float gy)
{
    const float n = noise(4.0f * (gx / 800.0f - 0.5f) + 0.5f, 4.0f * (gy / 600.0f - 0.5f) + 0.5f);
    return (n + 1.0f) * 0.5f;
}

// Grid coordinate of a neighbour one step before the point: -1 beyond the top and left edges.
float before(std::uint32_t coordinate)
{
    return coordinate == 0 ? -1.0f : static_cast<float>(coordinate - 1);
}

float flatten(float elevation, const TerrainSettings& settings)
{
    return std::pow(elevation, settings.heightFlatten);
}

// Moisture matters only from the lowland up; below that it is never looked at.
constexpr float lowlandStart = 0.17f;
} // namespace

float elevationAt(std::uint32_t x, std::uint32_t y, const TerrainSettings& settings)
{
    return elevationAtPoint(static_cast<float>(x), static_cast<float>(y), settings,
                            Octaves(settings.perlinFrequencyBase));
}

float moistureAt(std::uint32_t x, std::uint32_t y)
{
    return moistureAtPoint(static_cast<float>(x), static_cast<float>(y));
}

Color lowlandShade(float m)
{
    if (m < 0.3f)
    {
        const float d = m - 0.27f;
        return {channel(240.0f - d * 240.0f / 0.03f), channel(240.0f - 40.0f * d / 0.03f),
                channel(180.0f - d * 180.0f / 0.03f), 255};
    }
    if (m < 0.4f)
        return {0, 200, 0, 255};
    if (m < 0.48f)
        return {0, channel(200.0f - (m - 0.4f) * 40.0f / 0.08f), 0, 255};
    if (m < 0.6f)
        return {0, 160, 0, 255};
    if (m < 0.7f)
    {
        const float d = m - 0.6f;
        return {channel(34.0f * d / 0.1f), channel(160.0f - d * 60.0f / 0.1f), channel(34.0f * d / 0.1f), 255};
    }
    return {34, 100, 34, 255};
}

Color highlandShade(float e, float m)
{
    const Color low = m < 0.27f ? Color{240, 240, 180, 255} : lowlandShade(m);
    Color high{112, 128, 144, 255};
    if (!(m < 0.6f))
    {
        const float d = m - 0.6f;
        high = {channel(110.0f * d / 0.4f + 112.0f), channel(56.0f * d / 0.4f + 128.0f),
                channel(144.0f - 9.0f * d / 0.4f), 255};
    }
    const float w = (e - 0.4f) / 0.1f;
    if (w > 1.0f)
        return high;
    const auto blend = [w](std::uint8_t l, std::uint8_t h) {
        return channel(static_cast<float>(l) * (1.0f - w) + static_cast<float>(h) * w);
    };
    return {blend(low.r, high.r), blend(low.g, high.g), blend(low.b, high.b), 255};
}

Color terrainColor(float e, float m, const TerrainSettings& settings)
{
    if (e < 0.11f)
        return {0, 0, channel(e / 0.11f * 74.0f + 181.0f), 255};
    if (e < 0.14f)
    {
        const float t = (e - 0.11f) / 0.03f;
        const std::uint8_t k = channel(std::pow(t, 0.3f) * 48.0f);
        return {k, k, 255, 255};
    }
    if (e < 0.16f)
    {
        const std::uint8_t v = channel((e - 0.14f) * 128.0f / 0.02f + 48.0f);
        return {v, v, channel((0.16f - e) * 128.0f / 0.02f + 127.0f), 255};
    }
    if (e < lowlandStart)
        return {240, 230, 140, 255};
    if (e < 0.4f)
        return m < 0.27f ? Color{240, 240, 180, 255} : lowlandShade(m);
    if (e < settings.snowcapHeight)
        return highlandShade(e, m);
    const Color c = highlandShade(e, m);
    const float s = (e - settings.snowcapHeight) / 0.05f;
    if (s > 1.0f)
        return {255, 255, 255, 255};
    const auto blend = [s](std::uint8_t v) { return channel(static_cast<float>(v) * (1.0f - s) + s * 255.0f); };
    return {blend(c.r), blend(c.g), blend(c.b), 255};
}

mivra::Vector2f terrainNormal(float right, float left, float up, float down, const TerrainSettings& settings)
{
    // Cross product of the tangents (1, 0, (A - B) h) and (0, 1, (C - D) h); z is always 1.
    return {-(right - left) * settings.heightFactor, -(up - down) * settings.heightFactor};
}

Vertex terrainVertexAt(std::uint32_t x, std::uint32_t y, const TerrainSettings& settings)
{
    const Octaves octaves(settings.perlinFrequencyBase);
    const float gx = static_cast<float>(x);
    const float gy = static_cast<float>(y);
    const float e = elevationAtPoint(gx, gy, settings, octaves);
    const float m = moistureAtPoint(gx, gy);
    const float right = flatten(elevationAtPoint(gx + 1.0f, gy, settings, octaves), settings);
    const float left = flatten(elevationAtPoint(before(x), gy, settings, octaves), settings);
    const float up = flatten(elevationAtPoint(gx, before(y), settings, octaves), settings);
    const float down = flatten(elevationAtPoint(gx, gy + 1.0f, settings, octaves), settings);
    return {{gx, gy}, terrainColor(e, m, settings), terrainNormal(right, left, up, down, settings)};
}

GridPoint cellSlotPoint(std::uint32_t x, std::uint32_t y, std::uint32_t slot)
{
    assert(slot < verticesPerCell && "cellSlotPoint: slot out of range");
    switch (slot)
    {
    case 0: return {x, y};
    case 1: return {x, y + 1};
    case 2: return {x + 1, y + 1};
    case 3: return {x, y};
    case 4: return {x + 1, y + 1};
    default: return {x + 1, y};
    }
}

BlockRows blockRowRange(std::uint32_t block)
{
    const std::uint64_t first = static_cast<std::uint64_t>(blockRows) * block;
    if (first >= gridHeight)
        return {gridHeight, gridHeight};
    return {static_cast<std::uint32_t>(first),
            std::min<std::uint32_t>(static_cast<std::uint32_t>(first) + blockRows, gridHeight)};
}

void buildTerrainBlock(std::uint32_t block, const TerrainSettings& settings, BlockScratch& scratch)
{
    const auto [first, last] = blockRowRange(block);
    if (first >= last)
        return;
    const std::uint32_t rows = last - first; // rows of cells
    const std::uint32_t pointColumns = gridWidth + 1;
    const std::uint32_t pointRows = rows + 1;
    // The flattened heights cover one more point on every side, for the normals.
    const std::uint32_t heightColumns = pointColumns + 2;
    const std::uint32_t heightRows = pointRows + 2;

    scratch.vertices.resize(verticesPerBlock);
    scratch.flattenedHeights.resize(static_cast<std::size_t>(heightColumns) * (blockRows + 3));
    scratch.elevations.resize(static_cast<std::size_t>(pointColumns) * (blockRows + 1));
    scratch.pointRows.resize(static_cast<std::size_t>(pointColumns) * (blockRows + 1));

    const Octaves octaves(settings.perlinFrequencyBase);
    for (std::uint32_t r = 0; r < heightRows; ++r)
    {
        // Height row r is grid row first + r - 1; row -1 lies beyond the top edge.
        const float gy = r == 0 ? before(first) : static_cast<float>(first + r - 1);
        float* heights = &scratch.flattenedHeights[static_cast<std::size_t>(r) * heightColumns];
        const bool inside = r >= 1 && r <= pointRows;
        float* elevations = inside ? &scratch.elevations[static_cast<std::size_t>(r - 1) * pointColumns] : nullptr;
        for (std::uint32_t c = 0; c < heightColumns; ++c)
        {
            const float gx = c == 0 ? -1.0f : static_cast<float>(c - 1);
            const float e = elevationAtPoint(gx, gy, settings, octaves);
            heights[c] = flatten(e, settings);
            if (inside && c >= 1 && c <= pointColumns)
                elevations[c - 1] = e;
        }
    }

    for (std::uint32_t r = 0; r < pointRows; ++r)
    {
        const float gy = static_cast<float>(first + r);
        const float* above = &scratch.flattenedHeights[static_cast<std::size_t>(r) * heightColumns];
        const float* here = above + heightColumns;
        const float* below = here + heightColumns;
        const float* elevations = &scratch.elevations[static_cast<std::size_t>(r) * pointColumns];
        Vertex* points = &scratch.pointRows[static_cast<std::size_t>(r) * pointColumns];
        for (std::uint32_t x = 0; x < pointColumns; ++x)
        {
            const float gx = static_cast<float>(x);
            const float e = elevations[x];
            const float m = e < lowlandStart ? 0.0f : moistureAtPoint(gx, gy);
            const std::uint32_t c = x + 1;
            points[x] = {{gx, gy},
                         terrainColor(e, m, settings),
                         terrainNormal(here[c + 1], here[c - 1], above[c], below[c], settings)};
        }
    }

    for (std::uint32_t r = 0; r < rows; ++r)
    {
        const Vertex* top = &scratch.pointRows[static_cast<std::size_t>(r) * pointColumns];
        const Vertex* bottom = top + pointColumns;
        Vertex* cell = &scratch.vertices[static_cast<std::size_t>(r) * verticesPerRow];
        for (std::uint32_t x = 0; x < gridWidth; ++x, cell += verticesPerCell)
        {
            cell[0] = top[x];
            cell[1] = bottom[x];
            cell[2] = bottom[x + 1];
            cell[3] = top[x];
            cell[4] = bottom[x + 1];
            cell[5] = top[x + 1];
        }
    }
}
} // namespace island
