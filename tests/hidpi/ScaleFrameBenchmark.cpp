// Frame time at the output's scale 2 against scale 1 (four times the pixels) for the keyboard
// inspector, tennis and the island, on whatever GL SDL's offscreen driver gives (Mesa's software
// renderer here). A render texture that reports half its pixels as its logical size stands in for
// a window on a scaled output: views, viewport, glyph sizes and the island's cache follow it as
// they follow a window's. Each frame is clear, draw, display and glFinish, with warm caches (ten
// frames first). Besides the whole frame, the clear alone and each scene's text alone are timed,
// to say where the time goes. Prints the figures; the exit status only says whether the set-up
// worked.

#include "KeyboardView.hpp"
#include "ShinyText.hpp"
#include "TennisGame.hpp"
#include "Terrain.hpp"
#include "TerrainMesh.hpp"
#include "TerrainView.hpp"

#include <mivra/Graphics.hpp>

#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

// A window of the logical size on an output at `scale`.
class ScaledTarget : public mivra::RenderTexture
{
public:
    ScaledTarget(mivra::Vector2u logical, unsigned scale) : m_logical(logical) { m_ok = resize(logical * scale); }
    [[nodiscard]] bool ok() const { return m_ok; }
    [[nodiscard]] mivra::Vector2u getSize() const override { return m_logical; }
    [[nodiscard]] mivra::Vector2u getPhysicalSize() const override { return RenderTexture::getSize(); }

private:
    mivra::Vector2u m_logical;
    bool m_ok = false;
};

using Draw = std::function<void(mivra::RenderTarget&)>;

// Median milliseconds of a frame that clears to `background`, draws, displays and waits for GL.
double medianFrame(ScaledTarget& target, mivra::Color background, const Draw& draw, int frames)
{
    std::vector<double> times;
    for (int i = 0; i < frames + 10; ++i)
    {
        const auto start = Clock::now();
        target.clear(background);
        draw(target);
        target.display();
        glFinish();
        if (i >= 10)
            times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Scene
{
    const char* name;
    mivra::Vector2u size;
    mivra::Color background;
    Draw whole;
    Draw text;
};

void report(const Scene& scene, int frames)
{
    double figures[2][3]{};
    for (unsigned scale = 1; scale <= 2; ++scale)
    {
        ScaledTarget target(scene.size, scale);
        if (!target.ok())
            return;
        figures[scale - 1][0] = medianFrame(target, scene.background, scene.whole, frames);
        figures[scale - 1][1] = medianFrame(
            target, scene.background, [](mivra::RenderTarget&) {}, frames);
        if (scene.text)
            figures[scale - 1][2] = medianFrame(target, scene.background, scene.text, frames);
    }
    std::printf("%s (%u x %u logical)\n", scene.name, scene.size.x, scene.size.y);
    const char* rows[] = {"whole frame", "clear and display only", "text only"};
    for (int row = 0; row < (scene.text ? 3 : 2); ++row)
        std::printf("  %-24s scale 1 %7.2f ms, scale 2 %7.2f ms, ratio %.2f\n", rows[row], figures[0][row],
                    figures[1][row], figures[1][row] / figures[0][row]);
}
} // namespace

int main()
{
    // Drawn off screen unless told otherwise: no display is needed and no window pops up.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    const std::filesystem::path resources(MIVRA_RESOURCE_DIR);
    const int frames = 30;
    // A context to load textures into before the first target exists.
    ScaledTarget warmUp({16, 16}, 1);
    if (!warmUp.ok())
        return 1;

    // The keyboard inspector: 146 key labels and the four texts.
    const mivra::Font tuffyBold(resources / "Tuffy.ttf");
    keyboard::KeyboardView keys(tuffyBold);
    keys.setPosition({16.f, 16.f});
    keyboard::ShinyText pressed(tuffyBold, "Key Pressed\n\nKey::A\nScan::A", {16.f, 575.f});
    keyboard::ShinyText released(tuffyBold, "Key Released\n\nKey::A\nScan::A", {300.f, 575.f});
    keyboard::ShinyText entered(tuffyBold, "Text Entered\n\na\nU+0061", {600.f, 575.f});
    mivra::Text held(tuffyBold, "isKeyPressed(mivra::Keyboard::Key)\n\nA", 18);
    held.setPosition({900.f, 575.f});
    auto keyboardTexts = [&](mivra::RenderTarget& target) {
        target.draw(pressed);
        target.draw(released);
        target.draw(entered);
        target.draw(held);
    };

    // Tennis between rallies (banner and logo) and during one (paddles and ball).
    const mivra::Font tuffy(resources / "tuffy.ttf");
    const mivra::Texture logoTexture(resources / "mivra_logo.png", false);
    mivra::Sprite logo(logoTexture);
    logo.setPosition({170.f, 50.f});
    mivra::Text banner(tuffy, mivra::String(tennis::welcomeBanner), tennis::bannerCharacterSize);
    banner.setPosition(tennis::bannerPosition);
    mivra::RectangleShape paddle({2 * tennis::paddleHalfWidth - 3.f, 2 * tennis::paddleHalfHeight - 3.f});
    paddle.setOutlineThickness(3.f);
    paddle.setOutlineColor(mivra::Color::Black);
    paddle.setFillColor(mivra::Color(100, 100, 200));
    mivra::CircleShape ball(tennis::ballRadius - 3.f, 30);
    ball.setOutlineThickness(2.f);
    ball.setOutlineColor(mivra::Color::Black);
    ball.setPosition(tennis::ballStart);

    // The island with its terrain shown from the cache, as in every frame without a change.
    mivra::Shader shader;
    mivra::VertexBuffer buffer(mivra::PrimitiveType::Triangles, mivra::VertexBuffer::Usage::Static);
    island::TerrainMesh mesh;
    if (!shader.loadFromFile(resources / "terrain.vert", resources / "terrain.frag") ||
        !buffer.create(island::terrainVertexCount) || !mesh.allocate())
        return 1;
    mesh.queueBuild(island::TerrainSettings{});
    while (mesh.workers.jobsOutstanding() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!buffer.update(mesh.vertices.data()))
        return 1;
    auto terrain = std::make_unique<island::TerrainView>(buffer, shader);
    mivra::Text status(tuffy, "Generating Terrain...", 28);
    status.setPosition({10.f, 10.f});

    std::printf("median of %d frames after 10 warm-up frames; a frame is clear, draw, display, glFinish\n", frames);
    report({"keyboard",
            {1280, 720},
            mivra::Color::Black,
            [&](mivra::RenderTarget& target) {
                target.draw(keys);
                keyboardTexts(target);
            },
            keyboardTexts},
           frames);
    report({"tennis, banner and logo",
            {800, 600},
            mivra::Color(50, 50, 50),
            [&](mivra::RenderTarget& target) {
                target.draw(banner);
                target.draw(logo);
            },
            [&](mivra::RenderTarget& target) { target.draw(banner); }},
           frames);
    report({"tennis, rally",
            {800, 600},
            mivra::Color(50, 50, 50),
            [&](mivra::RenderTarget& target) {
                paddle.setPosition(tennis::playerStart);
                target.draw(paddle);
                paddle.setPosition(tennis::computerStart);
                target.draw(paddle);
                target.draw(ball);
            },
            nullptr},
           frames);
    report({"island, cached terrain",
            {800, 600},
            mivra::Color::Black,
            [&](mivra::RenderTarget& target) {
                terrain->draw(target, 0.7f);
                target.draw(status);
            },
            [&](mivra::RenderTarget& target) { target.draw(status); }},
           frames);
    // The first frame after a change renders the 2,880,000-vertex mesh into the cache.
    report({"island, terrain changed every frame",
            {800, 600},
            mivra::Color::Black,
            [&](mivra::RenderTarget& target) {
                terrain->invalidate();
                terrain->draw(target, 0.7f);
            },
            nullptr},
           frames / 3);
    return 0;
}
