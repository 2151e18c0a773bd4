// Pictures for the shader gallery: the landscape the pixelate effect works on, the backdrop and the
// six device tiles of the edge post-effect, the billboard logo and the caption bar.
#include "Registry.hpp"

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace
{
struct Rgba
{
    float r, g, b, a = 255.0f;
};

Rgba mix(Rgba x, Rgba y, float t)
{
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

// An RGBA picture with coverage-weighted painting: shapes are sampled 4 × 4 times per pixel so
// their edges are smooth.
class Canvas
{
public:
    Canvas(int width, int height, Rgba fill)
        : m_width(width), m_height(height), m_pixels(static_cast<std::size_t>(width) * height, fill)
    {
    }

    int width() const { return m_width; }
    int height() const { return m_height; }

    // Paints every pixel by a function of its centre (for gradients and backgrounds).
    template <typename F>
    void shade(F colourAt)
    {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                at(x, y) = colourAt(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f, at(x, y));
    }

    // Blends colour over every pixel, weighted by the share of its sub-samples inside the shape.
    template <typename Inside>
    void paint(float x0, float y0, float x1, float y1, Rgba colour, Inside inside)
    {
        const int left = std::max(0, static_cast<int>(std::floor(x0)));
        const int top = std::max(0, static_cast<int>(std::floor(y0)));
        const int right = std::min(m_width - 1, static_cast<int>(std::ceil(x1)));
        const int bottom = std::min(m_height - 1, static_cast<int>(std::ceil(y1)));
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
            {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        hits += inside(static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / 4.0f,
                                       static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / 4.0f)
                                    ? 1
                                    : 0;
                if (hits == 0)
                    continue;
                const float cover = static_cast<float>(hits) / 16.0f * colour.a / 255.0f;
                Rgba& p = at(x, y);
                const float alpha = cover * 255.0f + p.a * (1.0f - cover);
                p = {p.r + (colour.r - p.r) * cover, p.g + (colour.g - p.g) * cover, p.b + (colour.b - p.b) * cover,
                     alpha};
            }
    }

    void rect(float x, float y, float w, float h, Rgba colour)
    {
        paint(x, y, x + w, y + h, colour,
              [&](float px, float py) { return px >= x && px < x + w && py >= y && py < y + h; });
    }

    void roundedRect(float x, float y, float w, float h, float radius, Rgba colour)
    {
        paint(x, y, x + w, y + h, colour, [&](float px, float py) {
            const float cx = std::clamp(px, x + radius, x + w - radius);
            const float cy = std::clamp(py, y + radius, y + h - radius);
            return px >= x && px < x + w && py >= y && py < y + h && std::hypot(px - cx, py - cy) <= radius;
        });
    }

    void ellipse(float cx, float cy, float rx, float ry, Rgba colour)
    {
        paint(cx - rx, cy - ry, cx + rx, cy + ry, colour, [&](float px, float py) {
            const float dx = (px - cx) / rx;
            const float dy = (py - cy) / ry;
            return dx * dx + dy * dy <= 1.0f;
        });
    }

    void circle(float cx, float cy, float r, Rgba colour) { ellipse(cx, cy, r, r, colour); }

    void ring(float cx, float cy, float r, float thickness, Rgba colour)
    {
        paint(cx - r, cy - r, cx + r, cy + r, colour, [&](float px, float py) {
            const float d = std::hypot(px - cx, py - cy);
            return d <= r && d >= r - thickness;
        });
    }

    // A stroke of the given width with round ends.
    void line(float x0, float y0, float x1, float y1, float width, Rgba colour)
    {
        const float half = width / 2.0f;
        paint(std::min(x0, x1) - half, std::min(y0, y1) - half, std::max(x0, x1) + half, std::max(y0, y1) + half,
              colour, [&](float px, float py) {
                  const float dx = x1 - x0;
                  const float dy = y1 - y0;
                  const float lengthSquared = dx * dx + dy * dy;
                  float t = lengthSquared > 0.0f ? ((px - x0) * dx + (py - y0) * dy) / lengthSquared : 0.0f;
                  t = std::clamp(t, 0.0f, 1.0f);
                  return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy)) <= half;
              });
    }

    void polyline(const std::vector<std::pair<float, float>>& points, float width, Rgba colour)
    {
        for (std::size_t i = 1; i < points.size(); ++i)
            line(points[i - 1].first, points[i - 1].second, points[i].first, points[i].second, width, colour);
    }

    std::vector<std::uint8_t> bytes(int components) const
    {
        std::vector<std::uint8_t> out;
        out.reserve(m_pixels.size() * static_cast<std::size_t>(components));
        const auto byte = [](float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); };
        for (const Rgba& p : m_pixels)
        {
            out.push_back(byte(p.r));
            out.push_back(byte(p.g));
            out.push_back(byte(p.b));
            if (components == 4)
                out.push_back(byte(p.a));
        }
        return out;
    }

    bool writePng(const std::filesystem::path& path) const
    {
        const auto data = bytes(4);
        return stbi_write_png(path.c_str(), m_width, m_height, 4, data.data(), m_width * 4) != 0;
    }

    bool writeJpg(const std::filesystem::path& path) const
    {
        const auto data = bytes(3);
        return stbi_write_jpg(path.c_str(), m_width, m_height, 3, data.data(), 92) != 0;
    }

private:
    Rgba& at(int x, int y) { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }

    int m_width;
    int m_height;
    std::vector<Rgba> m_pixels;
};

// A landscape at dusk: sky, sun, three ranges of hills and a lake with reflections.
bool writeBackground(const std::filesystem::path& path)
{
    Canvas c(800, 600, {0, 0, 0});
    const Rgba skyTop{38, 52, 120};
    const Rgba skyLow{250, 170, 110};
    c.shade([&](float, float y, Rgba) { return mix(skyTop, skyLow, std::min(1.0f, y / 380.0f)); });
    c.circle(560, 300, 70, {255, 230, 150});
    c.circle(560, 300, 90, {255, 220, 140, 70});
    const Rgba ranges[3] = {{120, 90, 130}, {70, 70, 110}, {35, 60, 55}};
    for (int range = 0; range < 3; ++range)
    {
        const float base = 330.0f + 40.0f * static_cast<float>(range);
        const float amplitude = 60.0f - 12.0f * static_cast<float>(range);
        const float phase = 1.7f * static_cast<float>(range);
        c.paint(0, base - amplitude * 2, 800, 600, ranges[range], [&](float x, float y) {
            const float ridge =
                base - amplitude * (0.6f * std::sin(x * 0.011f + phase) + 0.4f * std::sin(x * 0.029f + 2 * phase)) -
                amplitude;
            return y >= ridge;
        });
    }
    c.paint(0, 470, 800, 600, {40, 80, 120}, [](float, float y) { return y >= 470.0f; });
    for (int i = 0; i < 14; ++i)
    {
        const float y = 480.0f + 8.5f * static_cast<float>(i);
        const float half = 60.0f - 3.5f * static_cast<float>(i);
        c.line(560 - half, y, 560 + half, y, 3, {255, 220, 150, 150});
    }
    for (int i = 0; i < 9; ++i)
    {
        const float x = 60.0f + 47.0f * static_cast<float>(i);
        c.line(x, 470, x - 6, 430 - 7.0f * static_cast<float>(i % 3), 5, {25, 40, 35});
        c.circle(x - 6, 425 - 7.0f * static_cast<float>(i % 3), 14, {30, 70, 45});
    }
    return c.writeJpg(path);
}

// Strokes of the letters M, I, V, R and A in a 4 × 6 box.
const std::vector<std::vector<std::pair<float, float>>>& letterStrokes(char letter)
{
    static const std::vector<std::vector<std::pair<float, float>>> m{{{0, 6}, {0, 0}, {2, 3}, {4, 0}, {4, 6}}};
    static const std::vector<std::vector<std::pair<float, float>>> i{
        {{2, 0}, {2, 6}}, {{1, 0}, {3, 0}}, {{1, 6}, {3, 6}}};
    static const std::vector<std::vector<std::pair<float, float>>> v{{{0, 0}, {2, 6}, {4, 0}}};
    static const std::vector<std::vector<std::pair<float, float>>> r{
        {{0, 6}, {0, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}, {0, 3}}, {{2, 3}, {4, 6}}};
    static const std::vector<std::vector<std::pair<float, float>>> a{{{0, 6}, {2, 0}, {4, 6}},
                                                                     {{0.8f, 3.8f}, {3.2f, 3.8f}}};
    switch (letter)
    {
    case 'M': return m;
    case 'I': return i;
    case 'V': return v;
    case 'R': return r;
    default: return a;
    }
}

// The backdrop of the edge post-effect: a panel with the library's name and a few bold shapes.
bool writeBackdrop(const std::filesystem::path& path)
{
    Canvas c(530, 400, {0, 0, 0, 0});
    c.roundedRect(0, 0, 530, 400, 36, {250, 245, 235});
    c.roundedRect(12, 12, 506, 376, 28, {60, 110, 170});
    c.shade([](float x, float y, Rgba p) {
        if (p.a < 255.0f || p.b < 150.0f)
            return p;
        return mix(p, Rgba{110, 60, 150}, std::clamp((x + y) / 930.0f, 0.0f, 1.0f));
    });
    const char* name = "MIVRA";
    for (int k = 0; k < 5; ++k)
    {
        const float left = 60.0f + 86.0f * static_cast<float>(k);
        for (const auto& stroke : letterStrokes(name[k]))
        {
            std::vector<std::pair<float, float>> points;
            for (const auto& [x, y] : stroke)
                points.emplace_back(left + x * 14.0f, 90.0f + y * 20.0f);
            c.polyline(points, 14, {255, 250, 240});
        }
    }
    c.circle(120, 300, 45, {240, 190, 60});
    c.rect(210, 260, 90, 85, {230, 90, 80});
    c.paint(330, 255, 450, 350, {90, 200, 140},
            [](float x, float y) { return y <= 350.0f && y >= 255.0f + std::abs(x - 390.0f) * 1.6f; });
    return c.writePng(path);
}

// Six 96 × 96 tiles in a row: keyboard, mouse, joystick, screen, speaker and microphone.
bool writeDevices(const std::filesystem::path& path)
{
    Canvas c(576, 96, {0, 0, 0, 0});
    const Rgba tiles[6] = {{220, 80, 70},  {240, 160, 40}, {90, 170, 80},
                           {60, 140, 200}, {130, 90, 190}, {200, 80, 150}};
    const Rgba ink{255, 255, 255};
    for (int i = 0; i < 6; ++i)
    {
        const float x = 96.0f * static_cast<float>(i);
        c.roundedRect(x + 4, 4, 88, 88, 16, tiles[i]);
    }
    // Keyboard.
    c.roundedRect(14, 30, 68, 38, 5, ink);
    for (int row = 0; row < 3; ++row)
        for (int key = 0; key < 6; ++key)
            c.rect(18.0f + 10.5f * static_cast<float>(key), 34.0f + 10.5f * static_cast<float>(row), 8, 8, tiles[0]);
    // Mouse.
    c.ellipse(144, 52, 20, 30, ink);
    c.line(144, 22, 144, 46, 3, tiles[1]);
    c.line(124, 44, 164, 44, 3, tiles[1]);
    // Joystick.
    c.roundedRect(212, 60, 56, 22, 8, ink);
    c.line(240, 62, 240, 28, 6, ink);
    c.circle(240, 24, 9, ink);
    c.circle(258, 66, 4, tiles[2]);
    // Screen.
    c.roundedRect(310, 18, 68, 46, 4, ink);
    c.rect(316, 24, 56, 34, tiles[3]);
    c.rect(338, 64, 12, 10, ink);
    c.rect(324, 74, 40, 5, ink);
    // Speaker.
    c.rect(400, 40, 14, 18, ink);
    c.paint(412, 24, 432, 74, ink, [](float x, float y) {
        return x >= 412.0f && std::abs(y - 49.0f) <= 9.0f + (x - 412.0f) * 0.85f && x <= 432.0f;
    });
    c.ring(432, 49, 18, 4, ink);
    c.ring(432, 49, 30, 4, ink);
    c.rect(400, 10, 32, 80, tiles[4]);
    c.rect(400, 40, 14, 18, ink);
    c.paint(412, 24, 432, 74, ink, [](float x, float y) {
        return x >= 412.0f && std::abs(y - 49.0f) <= 9.0f + (x - 412.0f) * 0.85f && x <= 432.0f;
    });
    // Microphone.
    c.roundedRect(516, 16, 24, 42, 12, ink);
    c.ring(528, 46, 20, 4, ink);
    c.rect(506, 22, 44, 24, tiles[5]);
    c.roundedRect(516, 16, 24, 42, 12, ink);
    c.line(528, 66, 528, 78, 4, ink);
    c.line(516, 80, 540, 80, 4, ink);
    return c.writePng(path);
}

// The billboard: a glowing disc with a ring, transparent around it.
bool writeLogo(const std::filesystem::path& path)
{
    Canvas c(128, 128, {255, 255, 255, 0});
    c.shade([](float x, float y, Rgba) {
        const float d = std::hypot(x - 64.0f, y - 64.0f) / 64.0f;
        const float glow = std::clamp(1.0f - d, 0.0f, 1.0f);
        return Rgba{255, 200 + 55 * glow, 120 + 135 * glow, 255.0f * glow * glow};
    });
    c.circle(64, 64, 34, {255, 140, 40});
    c.ring(64, 64, 34, 6, {255, 250, 230});
    c.circle(64, 64, 12, {255, 250, 230});
    return c.writePng(path);
}

// The caption bar under the gallery's two lines of text: light, with a darker top edge.
bool writeCaptionBar(const std::filesystem::path& path)
{
    Canvas c(800, 80, {0, 0, 0});
    c.shade([](float, float y, Rgba) { return mix(Rgba{250, 250, 252}, Rgba{215, 220, 230}, y / 80.0f); });
    c.rect(0, 0, 800, 3, {150, 160, 175});
    return c.writePng(path);
}

const resgen::Register background{"background.jpg", writeBackground};
const resgen::Register backdrop{"mivra.png", writeBackdrop};
const resgen::Register devices{"devices.png", writeDevices};
const resgen::Register logo{"logo.png", writeLogo};
const resgen::Register captionBar{"text-background.png", writeCaptionBar};
} // namespace
