// A first program: a window with a picture and a greeting, and a sound that plays once. It loads
// its files from the directory it runs in, and ends when its sound has played or its window is closed.
#include <mivra/Audio.hpp>
#include <mivra/Graphics.hpp>
#include <mivra/System/Exception.hpp>

#include <iostream>

int main()
try
{
    // Set-up: the window, and what it shows and plays
    mivra::RenderWindow window(mivra::VideoMode({640, 480}), "My first Mivra program");
    window.setFramerateLimit(60);

    const mivra::Texture texture("logo.png");
    mivra::Sprite sprite(texture);

    const mivra::Font font("tuffy.ttf");
    mivra::Text text(font, "Hello, Mivra!", 40);
    text.setPosition({20.f, 400.f});

    const mivra::SoundBuffer buffer("ding.flac");
    mivra::Sound sound(buffer);
    sound.play();

    // Loop: events, update, draw
    while (window.isOpen())
    {
        while (const std::optional event = window.pollEvent())
        {
            if (event->is<mivra::Event::Closed>())
                window.close();
        }
        if (sound.getStatus() == mivra::Sound::Status::Stopped)
            window.close();

        window.clear();
        window.draw(sprite);
        window.draw(text);
        window.display();
    }
    return 0;
}
catch (const mivra::Exception& error)
{
    // A file that cannot be loaded: the message names it and says why.
    std::cerr << error.what() << '\n';
    return 1;
}
