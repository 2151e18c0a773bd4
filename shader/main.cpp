// Shader gallery: five effects, each a small scene drawn through its own shaders, whose
// parameters follow the time and the mouse. Left and Right step through them; Escape quits.
#include "EffectParameters.hpp"
#include "Effects.hpp"
#include "Gallery.hpp"

#include <mivra/Graphics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window/Mouse.hpp>

#include <filesystem>
#include <iostream>
#include <optional>

namespace
{
template <typename T>
shader::Effect* present(std::optional<T>& effect)
{
    return effect ? &*effect : nullptr;
}
} // namespace

int main()
try
{
    // Set-up
    if (!mivra::Shader::isAvailable())
    {
        std::cerr << "Shaders not supported on current system, aborting" << std::endl;
        return 1;
    }
    const std::filesystem::path resources(MIVRA_RESOURCE_DIR);
    mivra::RenderWindow window(mivra::VideoMode(shader::Gallery::windowSize), "Mivra Shader",
                               mivra::Style::Titlebar | mivra::Style::Close, mivra::State::Windowed,
                               mivra::ContextSettings{});
    window.setVerticalSyncEnabled(true);
    const mivra::Font font(resources / "tuffy.ttf");

    std::optional<shader::Pixelate> pixelate = shader::createPixelate(resources);
    std::optional<shader::WaveBlur> waveBlur = shader::createWaveBlur(resources, font);
    std::optional<shader::StormBlink> stormBlink = shader::createStormBlink(resources);
    std::optional<shader::Edge> edge = shader::createEdge(resources);
    std::optional<shader::Geometry> geometry = shader::createGeometry(resources);

    const mivra::Texture captionTexture(resources / "text-background.png");
    shader::Gallery gallery(
        font, captionTexture,
        {present(pixelate), present(waveBlur), present(stormBlink), present(edge), present(geometry)});
    const mivra::Clock effectClock;

    // Loop: events, update, draw
    while (window.isOpen())
    {
        // Events
        while (const std::optional event = window.pollEvent())
        {
            if (event->is<mivra::Event::Closed>())
            {
                window.close();
                break;
            }
            if (const auto* key = event->getIf<mivra::Event::KeyPressed>())
            {
                if (key->code == mivra::Keyboard::Key::Escape)
                    window.close();
                gallery.handleKey(key->code);
            }
        }

        // Update: the effects follow the mouse and the time
        const mivra::Vector2f mouse = shader::mouseFraction(mivra::Mouse::getPosition(window), window.getSize());
        const float time = static_cast<float>(effectClock.getElapsedTime().asMicroseconds()) / 1'000'000.0f;

        // Draw
        gallery.drawFrame(window, time, mouse.x, mouse.y);
        window.display();
    }

    // Clean-up: the effects, textures and window go with the end of main.
    return 0;
}
catch (const mivra::Exception& error)
{
    std::cerr << error.what() << std::endl;
    return 1;
}
