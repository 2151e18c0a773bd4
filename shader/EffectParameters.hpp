#pragma once

// The values each gallery effect sends to its shader, as functions of the time in seconds and of
// the mouse position scaled to the window (0 to 1 across it, beyond that outside it).
#include <mivra/System/Vector2.hpp>

#include <cmath>

namespace shader
{
inline constexpr float sceneWidth = 800.0f;
inline constexpr float sceneHeight = 600.0f;

// The mouse position scaled to the window: 0 to 1 across it, beyond that outside it. A window
// without area (its size in the frame in which it closes) gives 0 on that axis rather than a NaN
// or an infinity for the shaders.
inline mivra::Vector2f mouseFraction(mivra::Vector2i mouse, mivra::Vector2u windowSize)
{
    const auto scale = [](int position, unsigned int extent) {
        return extent == 0 ? 0.0f : static_cast<float>(position) / static_cast<float>(extent);
    };
    return {scale(mouse.x, windowSize.x), scale(mouse.y, windowSize.y)};
}

inline float pixelThreshold(float x, float y)
{
    return (x + y) / 30.0f;
}

struct WaveBlurParameters
{
    float wavePhase;
    mivra::Vector2f waveAmplitude;
    float blurRadius;
};

inline WaveBlurParameters waveBlurParameters(float time, float x, float y)
{
    return {time, {x * 40.0f, y * 40.0f}, (y + x) * 0.008f};
}

struct StormBlinkParameters
{
    mivra::Vector2f stormPosition;
    float stormInnerRadius;
    float stormTotalRadius;
    float blinkAlpha;
};

inline StormBlinkParameters stormBlinkParameters(float time, float x, float y)
{
    const float radius = std::cos(time) * 150.0f + 200.0f;
    return {{x * sceneWidth, y * sceneHeight}, radius / 3.0f, radius, std::cos(3.0f * time) * 0.25f + 0.5f};
}

inline float edgeThreshold(float x, float y)
{
    return 1.0f - (x + y) * 0.5f;
}

// Tile i (0 to 5) of the edge scene runs on a Lissajous figure: its horizontal phase advances by
// i / 4 radians per second and its vertical phase by (6 - i) / 4.
inline mivra::Vector2f edgeTilePosition(unsigned i, float time)
{
    const float fi = static_cast<float>(i);
    return {std::cos(0.25f * (time * fi + (6.0f - fi))) * 300.0f + 350.0f,
            std::sin(0.25f * ((6.0f - fi) * time + fi)) * 200.0f + 250.0f};
}

// The billboard cloud turns a full circle as the mouse crosses the window's width, and its
// billboards grow from 25 to 75 pixels as it goes down.
inline float billboardRotationDegrees(float x)
{
    return x * 360.0f;
}

inline mivra::Vector2f billboardSize(float y)
{
    const float side = std::abs(y) * 50.0f + 25.0f;
    return {side, side};
}
} // namespace shader
