// Island: a procedural island seen from above. Four worker threads build a height field of
// 800 x 600 cells from layered Perlin noise, coloured by elevation and moisture; a shader lights it
// from the surface normals. The arrow keys edit the terrain settings shown in the panel, Enter
// regenerates the terrain with them, Escape quits.
#include "Terrain.hpp"
#include "TerrainPanel.hpp"
#include "TerrainWorkers.hpp"

#include <mivra/Graphics.hpp>
#include <mivra/System/Exception.hpp>

#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <vector>

namespace
{
// Program-wide, like the workers that read snapshots of it: edited by the arrow keys.
island::TerrainSettings terrainSettings;
island::TerrainWorkers terrainWorkers;

std::filesystem::path resource(const char* name)
{
    return std::filesystem::path(MIVRA_RESOURCE_DIR) / name;
}
} // namespace

int main()
try
{
    // Set-up.
    mivra::RenderWindow window(mivra::VideoMode({800, 600}), "Mivra Island", mivra::Style::Titlebar | mivra::Style::Close,
                               mivra::State::Windowed, mivra::ContextSettings{});
    window.setVerticalSyncEnabled(true);
    const mivra::Font font(resource("tuffy.ttf"));
    mivra::Text panelText(font);
    mivra::Text messageText(font);
    mivra::Shader reliefShader;
    mivra::VertexBuffer meshBuffer(mivra::PrimitiveType::Triangles, mivra::VertexBuffer::Usage::Static);

    messageText.setCharacterSize(28);
    panelText.setCharacterSize(14);
    for (mivra::Text* text : {&messageText, &panelText})
    {
        text->setFillColor(mivra::Color::White);
        text->setOutlineColor(mivra::Color::Black);
        text->setOutlineThickness(2.0f);
    }
    panelText.setPosition({5.0f, 5.0f});

    std::vector<mivra::Vertex> meshVertices;
    std::optional<mivra::RenderStates> meshStates;
    if (!mivra::VertexBuffer::isAvailable() || !mivra::Shader::isAvailable())
    {
        messageText.setString("Shaders and/or Vertex Buffers Unsupported");
    }
    else if (!reliefShader.loadFromFile(resource("terrain.vert"), resource("terrain.frag")))
    {
        messageText.setString("Failed to load shader program");
    }
    else
    {
        terrainWorkers.startTerrainWorkers();
        if (!meshBuffer.create(island::terrainVertexCount))
        {
            std::cerr << "Failed to create vertex buffer" << std::endl;
            terrainWorkers.stopTerrainWorkers();
            return 1;
        }
        meshVertices.assign(island::terrainVertexCount, mivra::Vertex{});
        terrainWorkers.queueTerrainBuild(meshVertices.data(), terrainSettings);
        messageText.setString("Generating Terrain...");
        meshStates.emplace(&reliefShader);
    }
    const mivra::FloatRect messageBounds = messageText.getLocalBounds();
    messageText.setPosition({(800.0f - messageBounds.size.x) * 0.5f, (600.0f - messageBounds.size.y) * 0.5f});

    island::SettingsPanel panel(terrainSettings);
    std::ostringstream panelStream;
    mivra::Clock frameClock;

    // The loop.
    while (window.isOpen())
    {
        while (const std::optional event = window.pollEvent())
        {
            if (event->is<mivra::Event::Closed>())
            {
                window.close();
                break;
            }
            const auto* key = event->getIf<mivra::Event::KeyPressed>();
            if (!key)
                continue;
            if (key->code == mivra::Keyboard::Key::Escape)
            {
                window.close();
                break;
            }
            if (reliefShader.getNativeHandle() == 0)
                continue;
            switch (key->code)
            {
                case mivra::Keyboard::Key::Enter: terrainWorkers.queueTerrainBuild(meshVertices.data(), terrainSettings); break;
                case mivra::Keyboard::Key::Up: panel.selectPrevious(); break;
                case mivra::Keyboard::Key::Down: panel.selectNext(); break;
                case mivra::Keyboard::Key::Left: panel.change(-0.1f); break;
                case mivra::Keyboard::Key::Right: panel.change(0.1f); break;
                default: break;
            }
        }

        window.clear(mivra::Color::Black);
        window.draw(messageText);

        if (reliefShader.getNativeHandle() != 0)
        {
            const auto shown = terrainWorkers.handoff(
                [&] { return meshBuffer.update(meshVertices.data()); },
                [&]
                {
                    reliefShader.setUniform("lightFactor", terrainSettings.lightFactor);
                    window.draw(meshBuffer, *meshStates);
                });
            if (shown == island::TerrainWorkers::Handoff::UploadFailed)
            {
                std::cerr << "Failed to update vertex buffer" << std::endl;
                terrainWorkers.stopTerrainWorkers();
                return 1;
            }

            panelStream.str("");
            panelStream << "Frame:  " << frameClock.restart().asMicroseconds() / 1000 << "ms\n";
            panel.write(panelStream);
            panelText.setString(panelStream.str());
            window.draw(panelText);
        }

        window.display();
    }

    // Clean-up: the workers end after the job each one holds; queued jobs are dropped.
    terrainWorkers.stopTerrainWorkers();
    return 0;
}
catch (const mivra::Exception& error)
{
    std::cerr << error.what() << std::endl;
    terrainWorkers.stopTerrainWorkers();
    return 1;
}
