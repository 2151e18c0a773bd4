// Times the island's frame while the terrain is shown, two ways side by side: the 2,880,000 terrain
// vertices drawn from the vertex buffer through the terrain shader every frame, and the terrain
// view that renders them into a texture only after a change and copies that texture otherwise.
// A frame is clear, terrain, display and glFinish, with no vertical sync. Prints the figures; the exit status
// only says whether the set-up worked.
#include "Terrain.hpp"
#include "TerrainMesh.hpp"
#include "TerrainView.hpp"

#include <mivra/Graphics.hpp>

#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

struct Figures
{
    double median, fastest, slowest;
};

double timeFrame(mivra::RenderWindow& window, const std::function<void()>& drawTerrain)
{
    const auto start = Clock::now();
    window.clear(mivra::Color::Black);
    drawTerrain();
    window.display();
    // The driver queues the work; the frame is done when the GPU (here llvmpipe) is.
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

Figures summarise(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front(), times.back()};
}

void print(const char* what, const Figures& figures)
{
    std::printf("  %-44s median %7.2f ms, fastest %7.2f ms, slowest %7.2f ms\n", what, figures.median, figures.fastest,
                figures.slowest);
}
} // namespace

int main()
{
    const std::filesystem::path resources(MIVRA_RESOURCE_DIR);
    mivra::RenderWindow window(mivra::VideoMode({800, 600}), "Mivra Island frame benchmark", mivra::Style::Titlebar);
    window.setVerticalSyncEnabled(false);
    mivra::Shader shader;
    mivra::VertexBuffer buffer(mivra::PrimitiveType::Triangles, mivra::VertexBuffer::Usage::Static);
    if (!window.isOpen() || !shader.loadFromFile(resources / "terrain.vert", resources / "terrain.frag") ||
        !buffer.create(island::terrainVertexCount))
        return 1;

    island::TerrainMesh mesh;
    if (!mesh.allocate())
        return 1;
    mesh.queueBuild(island::TerrainSettings{});
    while (mesh.workers.jobsOutstanding() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    auto start = Clock::now();
    if (!buffer.update(mesh.vertices.data()))
        return 1;
    const double uploadMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    // The three kinds of frame interleaved, so that other load on the machine weighs on each alike.
    island::TerrainView view(buffer, shader);
    auto prepareStart = Clock::now();
    view.prepare(window); // done by the program while the first terrain is being generated
    const double prepareMs = std::chrono::duration<double, std::milli>(Clock::now() - prepareStart).count();
    const double firstMs = timeFrame(window, [&] { view.draw(window, 0.7f); });
    std::vector<double> direct, cached, changed;
    for (int i = 0; i < 10; ++i)
    {
        direct.push_back(timeFrame(window, [&] {
            shader.setUniform("lightFactor", 0.7f);
            window.draw(buffer, mivra::RenderStates(&shader));
        }));
        // lightFactor differs from the last frame's: the mesh is rendered into the texture, then copied.
        const float lightFactor = (i % 2 == 0) ? 0.6f : 0.7f;
        changed.push_back(timeFrame(window, [&] { view.draw(window, lightFactor); }));
        for (int j = 0; j < 5; ++j)
            cached.push_back(timeFrame(window, [&] { view.draw(window, lightFactor); }));
    }

    std::printf("island frame with the terrain shown (800 x 600, %u vertices, no vertical sync)\n",
                island::terrainVertexCount);
    std::printf("  upload of the vertex buffer: %8.1f ms\n", uploadMs);
    const Figures directFigures = summarise(direct), cachedFigures = summarise(cached),
                  changedFigures = summarise(changed);
    print("vertex buffer drawn every frame:", directFigures);
    print("cached terrain, nothing changed:", cachedFigures);
    print("cached terrain, first frame after a change:", changedFigures);
    std::printf("  cached terrain, preparing the texture: %7.2f ms, then the first frame: %7.2f ms\n", prepareMs,
                firstMs);
    std::printf("  median cached / direct: %.3f, first after a change / direct: %.3f\n",
                cachedFigures.median / directFigures.median, changedFigures.median / directFigures.median);
    return 0;
}
