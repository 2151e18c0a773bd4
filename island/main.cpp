// Island: a procedural island seen from above. Four worker threads build a height field of
// 800 x 600 cells from layered Perlin noise, coloured by elevation and moisture; a shader lights it
// from the surface normals. The arrow keys edit the terrain settings shown in the panel, Enter
// regenerates the terrain with them, Escape quits.
#include "SettingsPanel.hpp"
#include "Terrain.hpp"
#include "TerrainMesh.hpp"
#include "TerrainView.hpp"

#include <mivra/Graphics.hpp>
#include <mivra/System/Exception.hpp>

#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>

namespace
{
// Program-wide: edited by the arrow keys; each generation takes a snapshot of it when queued.
island::TerrainSettings terrainSettings;

std::filesystem::path resource(const char* name)
{
    return std::filesystem::path(MIVRA_RESOURCE_DIR) / name;
}
} // namespace

int main()
try
{
    // Set-up
    mivra::RenderWindow window(mivra::VideoMode({island::gridWidth, island::gridHeight}), "Mivra Island",
                               mivra::Style::Titlebar | mivra::Style::Close, mivra::State::Windowed,
                               mivra::ContextSettings{});
    window.setVerticalSyncEnabled(true);
    const mivra::Font font(resource("tuffy.ttf"));
    mivra::Text panelText(font);
    mivra::Text messageText(font);
    mivra::Shader reliefShader;
    mivra::VertexBuffer meshBuffer(mivra::PrimitiveType::Triangles, mivra::VertexBuffer::Usage::Static);
    // Declared after the buffer and the shader it draws with, so it is released before them.
    island::TerrainView terrainView(meshBuffer, reliefShader);
    // The vertex array together with the workers that fill it: whatever ends main, the workers
    // are joined before the array is freed.
    island::TerrainMesh mesh;

    messageText.setCharacterSize(28);
    panelText.setCharacterSize(island::panelCharacterSize);
    for (mivra::Text* text : {&messageText, &panelText})
    {
        text->setFillColor(mivra::Color::White);
        text->setOutlineColor(mivra::Color::Black);
        text->setOutlineThickness(island::panelOutlineThickness);
    }
    panelText.setPosition(island::panelPosition);

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
        if (!meshBuffer.create(island::terrainVertexCount))
        {
            std::cerr << "Failed to create vertex buffer" << std::endl;
            return 1;
        }
        if (!mesh.allocate())
        {
            std::cerr << "Failed to allocate the terrain vertices: not enough memory" << std::endl;
            return 1;
        }
        mesh.queueBuild(terrainSettings);
        messageText.setString("Generating Terrain...");
    }
    const mivra::FloatRect messageBounds = messageText.getLocalBounds();
    messageText.setPosition({(800.0f - messageBounds.size.x) * 0.5f, (600.0f - messageBounds.size.y) * 0.5f});

    island::SettingsPanel panel(terrainSettings);
    std::ostringstream panelStream;
    mivra::Clock frameClock;

    // Loop: events, update, draw
    while (window.isOpen())
    {
        // Events
        const bool terrainShown = reliefShader.getNativeHandle() != 0;
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
            if (!terrainShown)
                continue;
            switch (key->code)
            {
            case mivra::Keyboard::Key::Enter: mesh.queueBuild(terrainSettings); break;
            case mivra::Keyboard::Key::Up: panel.selectPrevious(); break;
            case mivra::Keyboard::Key::Down: panel.selectNext(); break;
            case mivra::Keyboard::Key::Left: panel.change(-0.1f); break;
            case mivra::Keyboard::Key::Right: panel.change(0.1f); break;
            default: break;
            }
        }

        // Update: the panel shows the previous frame's duration and the settings.
        if (terrainShown)
        {
            panelStream.str("");
            island::writeFrameTime(panelStream, frameClock.restart().asMicroseconds());
            panel.write(panelStream);
            panelText.setString(panelStream.str());
        }

        // Draw. A finished generation is uploaded under the workers' lock just before it is
        // drawn; the terrain covers the message once it is shown.
        window.clear(mivra::Color::Black);
        window.draw(messageText);
        if (terrainShown)
        {
            const auto handoff = mesh.workers.handoff(
                [&] {
                    if (!meshBuffer.update(mesh.vertices.data()))
                        return false;
                    terrainView.invalidate();
                    return true;
                },
                [&] { terrainView.draw(window, terrainSettings.lightFactor); });
            if (handoff == island::TerrainWorkers::Handoff::UploadFailed)
            {
                std::cerr << "Failed to update vertex buffer" << std::endl;
                return 1;
            }
            window.draw(panelText);
        }
        window.display();
        if (terrainShown)
            terrainView.prepare(window);
    }

    // Clean-up: leaving main stops the workers (each ends after the job it holds; queued jobs are dropped)
    // and joins them before the vertex array is freed.
    return 0;
}
catch (const mivra::Exception& error)
{
    std::cerr << error.what() << std::endl;
    return 1;
}
