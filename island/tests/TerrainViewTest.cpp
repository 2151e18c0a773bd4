#include "Terrain.hpp"
#include "TerrainMesh.hpp"
#include "TerrainView.hpp"

#include "../../mivra/tests/Support/DiagnosticCapture.hpp"

#include <mivra/Graphics.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace island
{
namespace
{
using namespace std::chrono_literals;

// The lit terrain drawn straight from the vertex buffer, as every frame did before the cache, and
// through TerrainView, compared pixel for pixel on render textures standing in for the window.
class TerrainViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string resources = MIVRA_BINARY_DIR "/resources/";
        ASSERT_TRUE(shader.loadFromFile(resources + "terrain.vert", resources + "terrain.frag"));
        ASSERT_TRUE(buffer.create(terrainVertexCount));
        ASSERT_TRUE(mesh.allocate());
    }

    void generate(const TerrainSettings& settings)
    {
        mesh.queueBuild(settings);
        for (int i = 0; i < 60000 && mesh.workers.jobsOutstanding() != 0; ++i)
            std::this_thread::sleep_for(1ms);
        ASSERT_EQ(mesh.workers.jobsOutstanding(), 0u);
        ASSERT_TRUE(buffer.update(mesh.vertices.data()));
    }

    mivra::Image drawDirectly(mivra::Vector2u size, float lightFactor)
    {
        mivra::RenderTexture target(size);
        target.clear(mivra::Color::Black);
        shader.setUniform("lightFactor", lightFactor);
        target.draw(buffer, mivra::RenderStates(&shader));
        target.display();
        return target.getTexture().copyToImage();
    }

    static mivra::Image drawThrough(TerrainView& view, mivra::RenderTexture& target, float lightFactor)
    {
        target.clear(mivra::Color::Black);
        view.draw(target, lightFactor);
        target.display();
        return target.getTexture().copyToImage();
    }

    static void expectSamePixels(const mivra::Image& expected, const mivra::Image& actual, const char* when)
    {
        ASSERT_EQ(expected.getSize(), actual.getSize()) << when;
        unsigned differing = 0;
        for (unsigned y = 0; y < expected.getSize().y; ++y)
            for (unsigned x = 0; x < expected.getSize().x; ++x)
                if (expected.getPixel({x, y}) != actual.getPixel({x, y}) && differing++ == 0)
                    ADD_FAILURE() << when << ": first differing pixel at (" << x << ", " << y << ")";
        EXPECT_EQ(differing, 0u) << when;
    }

    mivra::Shader shader;
    mivra::VertexBuffer buffer{mivra::PrimitiveType::Triangles, mivra::VertexBuffer::Usage::Static};
    TerrainMesh mesh;
};

TEST_F(TerrainViewTest, ShowsWhatTheVertexBufferDrawsAfterEveryChange)
{
    TerrainSettings settings;
    generate(settings);
    TerrainView view(buffer, shader);
    mivra::RenderTexture window({gridWidth, gridHeight});
    view.prepare(window);

    expectSamePixels(drawDirectly(window.getSize(), 0.7f), drawThrough(view, window, 0.7f), "default settings");
    EXPECT_EQ(view.renderCount(), 1u);
    expectSamePixels(drawDirectly(window.getSize(), 0.7f), drawThrough(view, window, 0.7f), "an unchanged frame");
    EXPECT_EQ(view.renderCount(), 1u) << "an unchanged frame renders the mesh again";

    expectSamePixels(drawDirectly(window.getSize(), 0.3f), drawThrough(view, window, 0.3f), "lightFactor 0.3");
    EXPECT_EQ(view.renderCount(), 2u);

    settings.heightBase = 0.25f;
    settings.perlinFrequency = 5.f;
    generate(settings);
    view.invalidate();
    expectSamePixels(drawDirectly(window.getSize(), 0.3f), drawThrough(view, window, 0.3f), "a new terrain");
    EXPECT_EQ(view.renderCount(), 3u);

    // Another size with the default view of that size: the terrain is cut off or leaves a border.
    mivra::RenderTexture larger({1000, 700});
    expectSamePixels(drawDirectly(larger.getSize(), 0.3f), drawThrough(view, larger, 0.3f), "a larger target");
    EXPECT_EQ(view.renderCount(), 4u);
}

// The frame in which the window closes still draws, onto a target of 0 x 0 pixels.
TEST_F(TerrainViewTest, DrawsNothingAndSaysNothingOnATargetWithoutPixels)
{
    generate(TerrainSettings{});
    TerrainView view(buffer, shader);
    mivra::RenderTexture window({gridWidth, gridHeight});
    drawThrough(view, window, 0.7f);
    ASSERT_EQ(view.renderCount(), 1u);

    mivra::test::DiagnosticCapture diagnostics;
    mivra::RenderTexture closed;
    ASSERT_EQ(closed.getSize(), mivra::Vector2u(0, 0));
    view.draw(closed, 0.7f);
    view.prepare(closed);
    EXPECT_EQ(view.renderCount(), 1u);
    EXPECT_EQ(diagnostics.take(), std::vector<std::string>());

    // The cache still serves the window it was made for.
    expectSamePixels(drawDirectly(window.getSize(), 0.7f), drawThrough(view, window, 0.7f), "after the empty target");
    EXPECT_EQ(view.renderCount(), 1u);
}

TEST_F(TerrainViewTest, FollowsTheTargetsView)
{
    generate(TerrainSettings{});
    TerrainView view(buffer, shader);
    mivra::RenderTexture window({gridWidth, gridHeight});
    expectSamePixels(drawDirectly(window.getSize(), 0.7f), drawThrough(view, window, 0.7f), "the default view");

    // A window resized to 1000 x 700 keeps its view until the program sets another: stretched.
    mivra::RenderTexture stretched({1000, 700});
    stretched.setView(mivra::View(mivra::FloatRect({0.f, 0.f}, {800.f, 600.f})));
    mivra::RenderTexture expected({1000, 700});
    expected.setView(stretched.getView());
    expected.clear(mivra::Color::Black);
    shader.setUniform("lightFactor", 0.7f);
    expected.draw(buffer, mivra::RenderStates(&shader));
    expected.display();
    expectSamePixels(expected.getTexture().copyToImage(), drawThrough(view, stretched, 0.7f), "a stretched view");
    EXPECT_EQ(stretched.getView().getSize(), mivra::Vector2f(800.f, 600.f)) << "the target's view was not restored";
}
} // namespace
} // namespace island
