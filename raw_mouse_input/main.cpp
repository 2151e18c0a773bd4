// Raw mouse input: shows side by side the cursor position from ordinary mouse-move events and a
// scrolling list of the 24 latest raw, unaccelerated mouse movements.

#include <mivra/Graphics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window.hpp>

#include <iostream>
#include <locale>
#include <string>
#include <vector>

namespace
{
constexpr std::size_t MaxMovementLines = 24;

std::string vectorToString(mivra::Vector2i vector)
{
    std::string text("(");
    text += std::to_string(vector.x) + ", " + std::to_string(vector.y) + ")";
    return text;
}
} // namespace

int main()
{
    try
    {
        // Set-up
        mivra::RenderWindow window(mivra::VideoMode({800, 600}), mivra::String("Mivra Raw Mouse Input", std::locale()),
                                   mivra::Style::Titlebar | mivra::Style::Close, mivra::State::Windowed,
                                   mivra::ContextSettings());
        window.setVerticalSyncEnabled(true);

        const mivra::Font font(MIVRA_RESOURCE_DIR "/tuffy.ttf");

        mivra::Text mousePositionText(font, mivra::String("", std::locale()), 20);
        mousePositionText.setPosition({400.f, 300.f});
        mousePositionText.setFillColor(mivra::Color::White);

        mivra::Text mouseRawMovementText(font, mivra::String("", std::locale()), 20);
        mouseRawMovementText.setFillColor(mivra::Color::White);

        std::vector<std::string> movementLines;
        mivra::String lineString; // reused for every line, so drawing allocates nothing

        // Loop: events, update, draw
        while (window.isOpen())
        {
            // Events, which update the texts and the list as they come
            while (const std::optional event = window.pollEvent())
            {
                if (event->is<mivra::Event::Closed>())
                {
                    window.close();
                    break;
                }
                if (const auto* mouseMoved = event->getIf<mivra::Event::MouseMoved>())
                    mousePositionText.setString(
                        mivra::String("Mouse Position: " + vectorToString(mouseMoved->position), std::locale()));
                if (const auto* mouseMovedRaw = event->getIf<mivra::Event::MouseMovedRaw>())
                {
                    movementLines.push_back("Mouse Movement: " + vectorToString(mouseMovedRaw->delta));
                    if (movementLines.size() > MaxMovementLines)
                        movementLines.erase(movementLines.begin());
                }
            }

            // Draw
            window.clear(mivra::Color::Black);
            window.draw(mousePositionText);
            for (std::size_t i = 0; i < movementLines.size(); ++i)
            {
                mouseRawMovementText.setPosition({50.f, 50.f + 20.f * static_cast<float>(i)});
                mouseRawMovementText.setString(lineString.assign(movementLines[i], std::locale()));
                window.draw(mouseRawMovementText);
            }
            window.display();
        }
        // Clean-up: the texts, the font and the window go with the end of this block.
    }
    catch (const mivra::Exception& error)
    {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
