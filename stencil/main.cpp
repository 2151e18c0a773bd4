// Stencil: three overlapping, rotated rectangles, each drawn with its own stencil mode. Red and
// green always pass and write 3 and 1; blue passes only where 2 is greater than the stored value,
// so it shows over the background and over green but stays hidden behind what is still red.

#include <mivra/Graphics.hpp>
#include <mivra/Window.hpp>

#include <locale>

int main()
{
    // Set-up
    mivra::ContextSettings settings;
    settings.stencilBits = 8;

    mivra::RenderWindow window(mivra::VideoMode({600, 600}), mivra::String("Mivra Stencil", std::locale()),
                               mivra::Style::Titlebar | mivra::Style::Close, mivra::State::Windowed, settings);
    window.setVerticalSyncEnabled(true);

    mivra::RectangleShape red({500.f, 50.f});
    red.setFillColor(mivra::Color(255, 0, 0, 255));
    red.setPosition({270.f, 70.f});
    red.setRotation(mivra::degrees(60.f));

    mivra::RectangleShape green({500.f, 50.f});
    green.setFillColor(mivra::Color(0, 255, 0, 255));
    green.setPosition({370.f, 100.f});
    green.setRotation(mivra::degrees(120.f));

    mivra::RectangleShape blue({500.f, 50.f});
    blue.setFillColor(mivra::Color(0, 0, 255, 255));
    blue.setPosition({550.f, 470.f});
    blue.setRotation(mivra::degrees(180.f));

    const mivra::StencilValue allBits(0xFFFFFFFFu);
    const mivra::StencilMode redMode{mivra::StencilComparison::Always, mivra::StencilUpdateOperation::Replace,
                                     mivra::StencilValue(3), allBits, false};
    const mivra::StencilMode greenMode{mivra::StencilComparison::Always, mivra::StencilUpdateOperation::Replace,
                                       mivra::StencilValue(1), allBits, false};
    const mivra::StencilMode blueMode{mivra::StencilComparison::Greater, mivra::StencilUpdateOperation::Replace,
                                      mivra::StencilValue(2), allBits, false};

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
        }

        // Draw (nothing moves, so there is nothing to update)
        window.clear(mivra::Color::Black, mivra::StencilValue(0));
        window.draw(red, mivra::RenderStates(redMode));
        window.draw(green, mivra::RenderStates(greenMode));
        window.draw(blue, mivra::RenderStates(blueMode));
        window.display();
    }

    // Clean-up: the window and the shapes go with the end of main.
    return 0;
}
