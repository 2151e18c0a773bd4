#include "EffectParameters.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace shader
{
namespace
{
TEST(EffectParameters, MouseFractionOfTheWindow)
{
    EXPECT_EQ(mouseFraction({400, 150}, {800, 600}), mivra::Vector2f(0.5f, 0.25f));
    EXPECT_EQ(mouseFraction({-80, 900}, {800, 600}), mivra::Vector2f(-0.1f, 1.5f));
    // A window without area, as in the frame in which it closes: no NaN or infinity reaches the
    // shaders.
    for (const mivra::Vector2i mouse : {mivra::Vector2i(0, 0), mivra::Vector2i(120, -40)})
    {
        const mivra::Vector2f none = mouseFraction(mouse, {0, 0});
        EXPECT_TRUE(std::isfinite(none.x) && std::isfinite(none.y)) << none.x << ", " << none.y;
    }
    EXPECT_EQ(mouseFraction({0, 0}, {0, 0}), mivra::Vector2f(0.0f, 0.0f));
    EXPECT_EQ(mouseFraction({400, 300}, {800, 0}), mivra::Vector2f(0.5f, 0.0f));
}

TEST(EffectParameters, MouseAtTopLeftCorner)
{
    EXPECT_EQ(pixelThreshold(0.0f, 0.0f), 0.0f);
    const WaveBlurParameters wave = waveBlurParameters(2.5f, 0.0f, 0.0f);
    EXPECT_EQ(wave.wavePhase, 2.5f);
    EXPECT_EQ(wave.waveAmplitude, mivra::Vector2f(0.0f, 0.0f));
    EXPECT_EQ(wave.blurRadius, 0.0f);
    EXPECT_EQ(stormBlinkParameters(1.0f, 0.0f, 0.0f).stormPosition, mivra::Vector2f(0.0f, 0.0f));
    EXPECT_EQ(edgeThreshold(0.0f, 0.0f), 1.0f);
    EXPECT_EQ(billboardSize(0.0f), mivra::Vector2f(25.0f, 25.0f));
    EXPECT_EQ(billboardRotationDegrees(0.0f), 0.0f);
}

TEST(EffectParameters, MouseAtBottomRightCorner)
{
    EXPECT_FLOAT_EQ(pixelThreshold(1.0f, 1.0f), 1.0f / 15.0f);
    const WaveBlurParameters wave = waveBlurParameters(0.0f, 1.0f, 1.0f);
    EXPECT_EQ(wave.waveAmplitude, mivra::Vector2f(40.0f, 40.0f));
    EXPECT_FLOAT_EQ(wave.blurRadius, 0.016f);
    EXPECT_EQ(stormBlinkParameters(0.0f, 1.0f, 1.0f).stormPosition, mivra::Vector2f(800.0f, 600.0f));
    EXPECT_EQ(edgeThreshold(1.0f, 1.0f), 0.0f);
    EXPECT_EQ(billboardSize(1.0f), mivra::Vector2f(75.0f, 75.0f));
    EXPECT_EQ(billboardRotationDegrees(1.0f), 360.0f);
}

TEST(EffectParameters, MouseOutsideTheWindowIsPassedOn)
{
    // Above the window the billboards are as large as the same distance below its top edge.
    EXPECT_EQ(billboardSize(-0.4f), billboardSize(0.4f));
    EXPECT_FLOAT_EQ(billboardSize(-0.4f).x, 45.0f);
    EXPECT_EQ(stormBlinkParameters(0.0f, -0.5f, 1.5f).stormPosition, mivra::Vector2f(-400.0f, 900.0f));
    EXPECT_FLOAT_EQ(edgeThreshold(1.5f, 1.5f), -0.5f);
    EXPECT_FLOAT_EQ(pixelThreshold(-0.3f, 0.0f), -0.01f);
}

TEST(EffectParameters, StormAndBlinkFollowTheTime)
{
    const StormBlinkParameters start = stormBlinkParameters(0.0f, 0.5f, 0.5f);
    EXPECT_EQ(start.stormTotalRadius, 350.0f);
    EXPECT_FLOAT_EQ(start.stormInnerRadius, 350.0f / 3.0f);
    EXPECT_EQ(start.blinkAlpha, 0.75f);
    // Half a period later the storm is at its smallest; the blink has swung three half periods.
    const StormBlinkParameters half = stormBlinkParameters(3.14159265f, 0.5f, 0.5f);
    EXPECT_NEAR(half.stormTotalRadius, 50.0f, 1e-3f);
    EXPECT_NEAR(half.stormInnerRadius, 50.0f / 3.0f, 1e-3f);
    EXPECT_NEAR(half.blinkAlpha, 0.25f, 1e-5f);
    for (float t = 0.0f; t < 20.0f; t += 0.37f)
    {
        const StormBlinkParameters p = stormBlinkParameters(t, 0.0f, 0.0f);
        EXPECT_GE(p.stormTotalRadius, 50.0f);
        EXPECT_LE(p.stormTotalRadius, 350.0f);
        EXPECT_FLOAT_EQ(p.stormInnerRadius * 3.0f, p.stormTotalRadius);
        EXPECT_GE(p.blinkAlpha, 0.25f);
        EXPECT_LE(p.blinkAlpha, 0.75f);
    }
}

TEST(EffectParameters, EdgeTilesAtTimeZeroAndOnTheirFigures)
{
    for (unsigned i = 0; i < 6; ++i)
    {
        const mivra::Vector2f p = edgeTilePosition(i, 0.0f);
        EXPECT_FLOAT_EQ(p.x, std::cos(0.25f * static_cast<float>(6 - i)) * 300.0f + 350.0f) << "tile " << i;
        EXPECT_FLOAT_EQ(p.y, std::sin(0.25f * static_cast<float>(i)) * 200.0f + 250.0f) << "tile " << i;
    }
    EXPECT_FLOAT_EQ(edgeTilePosition(0, 0.0f).y, 250.0f);
    // Tile 0 never moves horizontally; tile 5's horizontal phase advances by 5/4 per second.
    EXPECT_EQ(edgeTilePosition(0, 7.0f).x, edgeTilePosition(0, 0.0f).x);
    EXPECT_FLOAT_EQ(edgeTilePosition(5, 2.0f).x, std::cos(0.25f * (2.0f * 5.0f + 1.0f)) * 300.0f + 350.0f);
    for (float t = 0.0f; t < 60.0f; t += 0.7f)
        for (unsigned i = 0; i < 6; ++i)
        {
            const mivra::Vector2f p = edgeTilePosition(i, t);
            EXPECT_GE(p.x, 50.0f - 1e-3f);
            EXPECT_LE(p.x, 650.0f + 1e-3f);
            EXPECT_GE(p.y, 50.0f - 1e-3f);
            EXPECT_LE(p.y, 450.0f + 1e-3f);
        }
}
} // namespace
} // namespace shader
