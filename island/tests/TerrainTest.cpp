#include "Terrain.hpp"
#include "VertexBits.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace mivra
{
inline void PrintTo(const Color& c, std::ostream* out)
{
    *out << "rgba(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}
} // namespace mivra

namespace island
{

namespace
{
using testing::sameBits;

const TerrainSettings defaults{};

// A blended colour may round to either side of the exact mix: each of red, green and blue lies
// between low and high, both included.
void expectRgbBetween(const Color& actual, const Color& low, const Color& high)
{
    const char names[] = "rgb";
    int index = 0;
    for (const auto channel : {&Color::r, &Color::g, &Color::b})
    {
        EXPECT_GE(int(actual.*channel), int(low.*channel)) << names[index];
        EXPECT_LE(int(actual.*channel), int(high.*channel)) << names[index];
        ++index;
    }
}

TEST(TerrainElevation, CornersAreDeepWaterWithDefaultSettings)
{
    for (const GridPoint corner : {GridPoint{0, 0}, GridPoint{800, 0}, GridPoint{0, 600}, GridPoint{800, 600}})
    {
        SCOPED_TRACE(::testing::Message() << "corner " << corner.x << ", " << corner.y);
        EXPECT_EQ(elevationAt(corner.x, corner.y, defaults), 0.0f);
        const Vertex v = terrainVertexAt(corner.x, corner.y, defaults);
        EXPECT_EQ(v.color, (Color{0, 0, 181, 255}));
        EXPECT_EQ(v.position, mivra::Vector2f(static_cast<float>(corner.x), static_cast<float>(corner.y)));
    }
}

TEST(TerrainElevation, CentreIsHalfPlusHeightBaseCappedAtOne)
{
    EXPECT_EQ(elevationAt(400, 300, defaults), 0.5f);
    TerrainSettings settings;
    settings.heightBase = 0.25f;
    EXPECT_EQ(elevationAt(400, 300, settings), 0.75f);
    for (const float base : {0.5f, 0.6f, 3.0f})
    {
        settings.heightBase = base;
        EXPECT_EQ(elevationAt(400, 300, settings), 1.0f) << "heightBase " << base;
    }
}

TEST(TerrainElevation, StaysWithinZeroAndOneForNegativeAndExtremeSettings)
{
    TerrainSettings settings;
    for (const float edgeFactor : {-2.0f, -0.1f, 0.0f, 5.0f})
        for (const float heightBase : {-1.0f, -0.3f, 0.0f, 2.0f})
        {
            settings.edgeFactor = edgeFactor;
            settings.heightBase = heightBase;
            for (std::uint32_t y = 0; y <= 600; y += 50)
                for (std::uint32_t x = 0; x <= 800; x += 50)
                {
                    const float e = elevationAt(x, y, settings);
                    ASSERT_TRUE(e >= 0.0f && e <= 1.0f) << "elevation " << e << " at " << x << ", " << y
                                                        << " edgeFactor " << edgeFactor << " heightBase " << heightBase;
                }
        }
    // A negative edgeFactor raises the edges instead of sinking them.
    settings.edgeFactor = -2.0f;
    settings.heightBase = 0.0f;
    EXPECT_EQ(elevationAt(0, 0, settings), 1.0f);
}

TEST(TerrainElevation, InfiniteFalloffOnZeroHeightGivesZeroNotNaN)
{
    // A negative exponent makes the falloff at the centre infinite; with heightBase -0.5 the height
    // there is exactly 0, and infinity times zero must not leak out as a NaN elevation or colour.
    TerrainSettings settings;
    settings.edgeDropoffExponent = -0.5f;
    settings.heightBase = -0.5f;
    EXPECT_EQ(elevationAt(400, 300, settings), 0.0f);
    EXPECT_EQ(terrainVertexAt(400, 300, settings).color, (Color{0, 0, 181, 255}));
}

TEST(TerrainMoisture, FollowsItsOwnNoiseAndIgnoresSettings)
{
    TerrainSettings other;
    other.perlinFrequency = 2.0f;
    other.heightBase = 0.4f;
    bool varies = false;
    const float first = moistureAt(0, 0);
    for (std::uint32_t y = 0; y <= 600; y += 37)
        for (std::uint32_t x = 0; x <= 800; x += 41)
        {
            const float m = moistureAt(x, y);
            EXPECT_GT(m, -0.1f);
            EXPECT_LT(m, 1.1f);
            varies = varies || m != first;
        }
    EXPECT_TRUE(varies);
    // (500, 375) samples the noise at (1, 1), a lattice point where it is exactly 0.
    EXPECT_EQ(moistureAt(500, 375), 0.5f);
}

TEST(TerrainColour, WaterShades)
{
    EXPECT_EQ(terrainColor(0.0f, 0.5f, defaults), (Color{0, 0, 181, 255}));
    EXPECT_EQ(terrainColor(0.05f, 0.5f, defaults), (Color{0, 0, 214, 255}));
    EXPECT_EQ(terrainColor(0.11f, 0.5f, defaults), (Color{0, 0, 255, 255}));
    // Shallow water brightens from blue towards (48, 48, 255) at 0.14.
    const Color shallow = terrainColor(0.125f, 0.5f, defaults);
    EXPECT_EQ(shallow.b, 255);
    EXPECT_EQ(shallow.r, shallow.g);
    EXPECT_GT(shallow.r, 0);
    EXPECT_LT(shallow.r, 48);
    // Surf: the red and green rise from 48 while the blue falls from 255.
    const Color surf = terrainColor(0.15f, 0.5f, defaults);
    EXPECT_EQ(surf.r, surf.g);
    EXPECT_GE(surf.r, 111);
    EXPECT_LE(surf.r, 112);
    EXPECT_GE(surf.b, 190);
    EXPECT_LE(surf.b, 191);
}

TEST(TerrainColour, BeachIgnoresMoisture)
{
    for (const float e : {0.16f, 0.163f, 0.1699f})
        for (const float m : {0.0f, 0.35f, 0.9f})
            EXPECT_EQ(terrainColor(e, m, defaults), (Color{240, 230, 140, 255})) << "e " << e << " m " << m;
}

TEST(TerrainColour, LowlandFollowsMoisture)
{
    for (const float e : {0.17f, 0.3f, 0.399f})
    {
        SCOPED_TRACE(::testing::Message() << "elevation " << e);
        EXPECT_EQ(terrainColor(e, 0.1f, defaults), (Color{240, 240, 180, 255}));
        EXPECT_EQ(terrainColor(e, 0.35f, defaults), (Color{0, 200, 0, 255}));
        EXPECT_EQ(terrainColor(e, 0.5f, defaults), (Color{0, 160, 0, 255}));
        EXPECT_EQ(terrainColor(e, 0.7f, defaults), (Color{34, 100, 34, 255}));
        EXPECT_EQ(terrainColor(e, 0.95f, defaults), (Color{34, 100, 34, 255}));
    }
    // The sand colour runs without a seam into the first shade of green.
    EXPECT_EQ(lowlandShade(0.27f), (Color{240, 240, 180, 255}));
    const Color between = lowlandShade(0.285f);
    EXPECT_LT(between.r, 240);
    EXPECT_GT(between.r, 0);
    EXPECT_GT(between.g, 200);
    EXPECT_LT(between.g, 240);
    // Between 0.4 and 0.48 the green darkens from 200 to 160.
    const Color darker = lowlandShade(0.44f);
    EXPECT_EQ(darker.r, 0);
    EXPECT_GE(darker.g, 179);
    EXPECT_LE(darker.g, 180);
}

TEST(TerrainColour, HighlandBlendsVegetationIntoRock)
{
    // Fully rock from 0.5 up: grey when dry, sandy brown when wet.
    EXPECT_EQ(highlandShade(0.55f, 0.35f), (Color{112, 128, 144, 255}));
    EXPECT_EQ(terrainColor(0.55f, 0.1f, defaults), (Color{112, 128, 144, 255}));
    expectRgbBetween(highlandShade(0.55f, 0.8f), Color{166, 155, 139}, Color{167, 156, 140});
    // At 0.4 the vegetation still shows; halfway it is mixed.
    EXPECT_EQ(highlandShade(0.4f, 0.35f), (Color{0, 200, 0, 255}));
    expectRgbBetween(highlandShade(0.45f, 0.35f), Color{55, 163, 71}, Color{56, 164, 72});
}

TEST(TerrainColour, SnowCoversTheHeights)
{
    for (const float e : {0.66f, 0.8f, 1.0f})
        for (const float m : {0.1f, 0.5f, 0.9f})
            EXPECT_EQ(terrainColor(e, m, defaults), (Color{255, 255, 255, 255})) << "e " << e << " m " << m;
    // Exactly at the snow line the rock shows unchanged; just above it starts to whiten.
    EXPECT_EQ(terrainColor(0.6f, 0.35f, defaults), highlandShade(0.6f, 0.35f));
    const Color start = terrainColor(0.625f, 0.35f, defaults);
    EXPECT_GT(start.r, 112);
    EXPECT_LT(start.r, 255);

    // A snow line below the lowland: snow starts at 0.4, the lowland below it stays green.
    TerrainSettings low;
    low.snowcapHeight = 0.3f;
    EXPECT_EQ(terrainColor(0.35f, 0.35f, low), (Color{0, 200, 0, 255}));
    EXPECT_EQ(terrainColor(0.4f, 0.35f, low), (Color{255, 255, 255, 255}));
}

TEST(TerrainColour, ChannelsSaturateOutsideTheUsualRanges)
{
    // Moisture below the lowland's range and far above 1 push the formulas past 255; the channels
    // stop at the end of their range instead of wrapping around.
    EXPECT_EQ(lowlandShade(0.0f), (Color{255, 255, 255, 255}));
    EXPECT_EQ(highlandShade(0.55f, 2.5f), (Color{255, 255, 101, 255}));
}

TEST(TerrainNormal, FlatGroundAndSlopes)
{
    EXPECT_EQ(terrainNormal(0.2f, 0.2f, 0.2f, 0.2f, defaults), mivra::Vector2f(0.0f, 0.0f));
    // Ground rising to the right and downwards tilts the normal left and up.
    const mivra::Vector2f n = terrainNormal(0.5f, 0.25f, 0.0f, 0.125f, defaults);
    EXPECT_FLOAT_EQ(n.x, -75.0f);
    EXPECT_FLOAT_EQ(n.y, 37.5f);
    // Far out in the deep water every neighbour is at 0.
    EXPECT_EQ(terrainVertexAt(20, 30, defaults).texCoords, mivra::Vector2f(0.0f, 0.0f));
    EXPECT_EQ(terrainVertexAt(0, 0, defaults).texCoords, mivra::Vector2f(0.0f, 0.0f));
}

TEST(TerrainNormal, TakesTheFlattenedNeighbours)
{
    TerrainSettings settings;
    settings.heightFactor = 2.0f;
    settings.heightFlatten = 2.0f;
    for (const GridPoint p : {GridPoint{400, 300}, GridPoint{350, 280}, GridPoint{470, 330}})
    {
        const float right = std::pow(elevationAt(p.x + 1, p.y, settings), 2.0f);
        const float left = std::pow(elevationAt(p.x - 1, p.y, settings), 2.0f);
        const float up = std::pow(elevationAt(p.x, p.y - 1, settings), 2.0f);
        const float down = std::pow(elevationAt(p.x, p.y + 1, settings), 2.0f);
        const Vertex v = terrainVertexAt(p.x, p.y, settings);
        EXPECT_EQ(v.texCoords.x, -(right - left) * 2.0f);
        EXPECT_EQ(v.texCoords.y, -(up - down) * 2.0f);
        EXPECT_NE(v.texCoords, mivra::Vector2f(0.0f, 0.0f)) << "the island's slopes at " << p.x << ", " << p.y;
    }
}

TEST(TerrainCell, SixSlotsFormTwoTrianglesOnTheDiagonal)
{
    const GridPoint expected[6] = {{7, 9}, {7, 10}, {8, 10}, {7, 9}, {8, 10}, {8, 9}};
    for (std::uint32_t slot = 0; slot < 6; ++slot)
        EXPECT_EQ(cellSlotPoint(7, 9, slot), expected[slot]) << "slot " << slot;
}

TEST(TerrainBlock, RowRangesCoverTheGridOnce)
{
    EXPECT_EQ(blockRows, 19u);
    std::uint32_t next = 0;
    for (std::uint32_t block = 0; block < blockCount; ++block)
    {
        const BlockRows rows = blockRowRange(block);
        EXPECT_EQ(rows.first, next);
        next = rows.last;
    }
    EXPECT_EQ(next, 600u);
    EXPECT_EQ(blockRowRange(31).first, 589u);
    EXPECT_EQ(blockRowRange(31).last, 600u);
    EXPECT_EQ(blockRowRange(32).first, blockRowRange(32).last);
}

// The optimised builder against a per-slot evaluation of terrainVertexAt, on blocks at the top,
// in the middle and at the bottom of the grid, with default and unusual settings.
TEST(TerrainBlock, BuilderMatchesPerSlotEvaluationBitForBit)
{
    TerrainSettings unusual;
    unusual.perlinFrequency = 3.3f;
    unusual.perlinFrequencyBase = 2.6f;
    unusual.heightBase = 0.2f;
    unusual.edgeFactor = -0.4f;
    unusual.heightFlatten = 1.3f;
    unusual.snowcapHeight = 0.45f;
    for (const TerrainSettings& settings : {defaults, unusual})
        for (const std::uint32_t block : {0u, 15u, 31u})
        {
            BlockScratch scratch;
            buildTerrainBlock(block, settings, scratch);
            const BlockRows rows = blockRowRange(block);
            for (std::uint32_t y = rows.first; y < rows.last; ++y)
                for (std::uint32_t x = 0; x < gridWidth; ++x)
                    for (std::uint32_t slot = 0; slot < verticesPerCell; ++slot)
                    {
                        const GridPoint p = cellSlotPoint(x, y, slot);
                        const Vertex expected = terrainVertexAt(p.x, p.y, settings);
                        const Vertex& actual =
                            scratch.vertices[(y - rows.first) * verticesPerRow + x * verticesPerCell + slot];
                        ASSERT_TRUE(sameBits(actual, expected)) << "cell " << x << ", " << y << " slot " << slot << ": "
                                                                << actual << " instead of " << expected;
                    }
        }
}
} // namespace
} // namespace island
