// Times the island's frame while the terrain is shown: clear, the 2,880,000 terrain vertices drawn
// from the vertex buffer through the terrain shader, display. Prints the figures; the exit status
// only says whether the set-up worked.
#include "Terrain.hpp"
#include "TerrainWorkers.hpp"

#include <mivra/Graphics.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

int main()
{
    using Clock = std::chrono::steady_clock;
    const std::filesystem::path resources(MIVRA_RESOURCE_DIR);
    mivra::RenderWindow window(mivra::VideoMode({800, 600}), "Mivra Island frame benchmark", mivra::Style::Titlebar);
    window.setVerticalSyncEnabled(false);
    mivra::Shader shader;
    mivra::VertexBuffer buffer(mivra::PrimitiveType::Triangles, mivra::VertexBuffer::Usage::Static);
    if (!window.isOpen() || !shader.loadFromFile(resources / "terrain.vert", resources / "terrain.frag") ||
        !buffer.create(island::terrainVertexCount))
        return 1;

    std::vector<mivra::Vertex> vertices(island::terrainVertexCount);
    island::TerrainWorkers workers;
    workers.startTerrainWorkers();
    workers.queueTerrainBuild(vertices.data(), island::TerrainSettings{});
    while (workers.jobsOutstanding() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    workers.stopTerrainWorkers();

    auto start = Clock::now();
    if (!buffer.update(vertices.data()))
        return 1;
    const double uploadMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    shader.setUniform("lightFactor", 0.7f);
    std::vector<double> frames;
    for (int i = 0; i < 8; ++i)
    {
        start = Clock::now();
        window.clear(mivra::Color::Black);
        window.draw(buffer, mivra::RenderStates(&shader));
        window.display();
        frames.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(frames.begin(), frames.end());
    std::printf("island frame with the terrain shown (800 x 600, %u vertices, no vertical sync)\n", island::terrainVertexCount);
    std::printf("  upload of the vertex buffer: %8.1f ms\n", uploadMs);
    std::printf("  frame: median %8.1f ms, fastest %8.1f ms, slowest %8.1f ms\n", frames[frames.size() / 2], frames.front(), frames.back());
    return 0;
}
