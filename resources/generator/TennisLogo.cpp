// The tennis game's logo: a ball and the word MIVRA drawn with round strokes on a badge.
#include "Registry.hpp"

#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
constexpr int width = 460;
constexpr int height = 140;

struct Point
{
    float x;
    float y;
};

struct Canvas
{
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(width * height * 4, 0);

    // Blends a colour over the pixel with the given coverage (0..1).
    void blend(int x, int y, std::array<float, 3> rgb, float coverage)
    {
        if (coverage <= 0.f)
            return;
        std::uint8_t* p = &pixels[static_cast<std::size_t>((y * width + x) * 4)];
        const float a = std::min(coverage, 1.f);
        const float under = p[3] / 255.f;
        const float out = a + under * (1.f - a);
        for (int c = 0; c < 3; ++c)
        {
            const float mixed = (rgb[c] * a + p[c] * under * (1.f - a)) / out;
            p[c] = static_cast<std::uint8_t>(std::lround(std::clamp(mixed, 0.f, 255.f)));
        }
        p[3] = static_cast<std::uint8_t>(std::lround(out * 255.f));
    }
};

float segmentDistance(Point p, Point a, Point b)
{
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.f, 1.f);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Distance to the right half of a circle (the bowl of an R).
float rightArcDistance(Point p, Point centre, float radius)
{
    if (p.x >= centre.x)
        return std::abs(std::hypot(p.x - centre.x, p.y - centre.y) - radius);
    return std::min(std::hypot(p.x - centre.x, p.y - (centre.y - radius)),
                    std::hypot(p.x - centre.x, p.y - (centre.y + radius)));
}

struct Stroke
{
    Point a;
    Point b;
};

// Letters on a 50 x 70 cell, strokes as segments from their top-left corner.
struct Letter
{
    std::vector<Stroke> strokes;
    float advance;
    bool bowl = false; // the R's half circle
};

const std::vector<Letter>& word()
{
    static const std::vector<Letter> letters{
        {{{{0, 70}, {0, 0}}, {{0, 0}, {25, 42}}, {{25, 42}, {50, 0}}, {{50, 0}, {50, 70}}}, 50},
        {{{{0, 0}, {0, 70}}}, 0},
        {{{{0, 0}, {25, 70}}, {{25, 70}, {50, 0}}}, 50},
        {{{{0, 70}, {0, 0}}, {{0, 0}, {26, 0}}, {{26, 38}, {0, 38}}, {{22, 38}, {46, 70}}}, 46, true},
        {{{{0, 70}, {25, 0}}, {{25, 0}, {50, 70}}, {{10, 46}, {40, 46}}}, 50},
    };
    return letters;
}

float wordDistance(Point p)
{
    constexpr float gap = 18.f;
    float left = 0.f;
    float best = 1e9f;
    for (const Letter& letter : word())
    {
        const Point local{p.x - left, p.y};
        for (const Stroke& s : letter.strokes)
            best = std::min(best, segmentDistance(local, s.a, s.b));
        if (letter.bowl)
            best = std::min(best, rightArcDistance(local, {26, 19}, 19));
        left += letter.advance + gap;
    }
    return best;
}

bool writeLogo(const std::filesystem::path& path)
{
    Canvas canvas;
    const Point ball{70.f, 70.f};
    constexpr float ballRadius = 48.f;
    const Point textOrigin{152.f, 35.f};
    constexpr float halfStroke = 6.5f;

    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const Point p{x + 0.5f, y + 0.5f};

            // The badge: a rounded rectangle, white rim, blue fading downwards.
            const float qx = std::max(std::abs(p.x - width * 0.5f) - (width * 0.5f - 24.f), 0.f);
            const float qy = std::max(std::abs(p.y - height * 0.5f) - (height * 0.5f - 24.f), 0.f);
            const float badge = std::hypot(qx, qy) - 22.f;
            canvas.blend(x, y, {255, 255, 255}, 0.5f - badge);
            const float shade = p.y / height;
            canvas.blend(x, y, {40.f + 30.f * shade, 60.f + 20.f * shade, 150.f - 50.f * shade}, -2.5f - badge);

            // The ball, with its two curved seams.
            const float fromBall = std::hypot(p.x - ball.x, p.y - ball.y);
            canvas.blend(x, y, {30, 30, 30}, ballRadius + 2.5f - fromBall);
            canvas.blend(x, y, {205, 225, 60}, ballRadius + 0.5f - fromBall);
            if (fromBall < ballRadius)
            {
                const float seamLeft = std::abs(std::hypot(p.x - (ball.x - 62.f), p.y - ball.y) - 44.f);
                const float seamRight = std::abs(std::hypot(p.x - (ball.x + 62.f), p.y - ball.y) - 44.f);
                canvas.blend(x, y, {250, 250, 240}, 2.5f - std::min(seamLeft, seamRight));
            }

            // MIVRA, with a soft shadow under white strokes.
            const float shadow = wordDistance({p.x - textOrigin.x - 3.f, p.y - textOrigin.y - 3.f});
            canvas.blend(x, y, {10, 20, 60}, (halfStroke + 0.5f - shadow) * 0.6f);
            const float text = wordDistance({p.x - textOrigin.x, p.y - textOrigin.y});
            canvas.blend(x, y, {255, 255, 255}, halfStroke + 0.5f - text);
        }
    }
    return stbi_write_png(path.c_str(), width, height, 4, canvas.pixels.data(), width * 4) != 0;
}

const resgen::Register logo{"mivra_logo.png", writeLogo};
} // namespace
