// Tennis: the player's paddle (Up and Down, or a finger) against the computer's. Space serves,
// Escape quits, and every bounce plays a sound.

#include "TennisGame.hpp"

#include <mivra/Audio.hpp>
#include <mivra/Graphics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window.hpp>

#include <filesystem>
#include <iostream>
#include <random>

int main()
{
    try
    {
        // Set-up
        std::random_device randomDevice("default");
        std::mt19937 randomEngine(randomDevice());

        const std::filesystem::path resources(MIVRA_RESOURCE_DIR);
        mivra::RenderWindow window(mivra::VideoMode({800, 600}), "Mivra Tennis",
                                   mivra::Style::Titlebar | mivra::Style::Close);
        window.setVerticalSyncEnabled(true);

        const mivra::SoundBuffer hitSoundBuffer(resources / "ball.wav");
        mivra::Sound hitSound(hitSoundBuffer);

        const mivra::Texture logoTexture(resources / "mivra_logo.png", false);
        mivra::Sprite logoSprite(logoTexture);
        logoSprite.setPosition({170.f, 50.f});

        const mivra::Vector2f paddleSize(2 * tennis::paddleHalfWidth - 3.f, 2 * tennis::paddleHalfHeight - 3.f);
        mivra::RectangleShape playerPaddle(paddleSize);
        playerPaddle.setOutlineThickness(3.f);
        playerPaddle.setOutlineColor(mivra::Color(0, 0, 0, 255));
        playerPaddle.setFillColor(mivra::Color(100, 100, 200, 255));
        playerPaddle.setOrigin({tennis::paddleHalfWidth, tennis::paddleHalfHeight});

        mivra::RectangleShape computerPaddle(paddleSize);
        computerPaddle.setOutlineThickness(3.f);
        computerPaddle.setOutlineColor(mivra::Color(0, 0, 0, 255));
        computerPaddle.setFillColor(mivra::Color(200, 100, 100, 255));
        computerPaddle.setOrigin({tennis::paddleHalfWidth, tennis::paddleHalfHeight});

        mivra::CircleShape ballShape(tennis::ballRadius - 3.f, 30);
        ballShape.setOutlineThickness(2.f);
        ballShape.setOutlineColor(mivra::Color(0, 0, 0, 255));
        ballShape.setFillColor(mivra::Color(255, 255, 255, 255));
        ballShape.setOrigin({tennis::ballRadius / 2.f, tennis::ballRadius / 2.f});

        const mivra::Font font(resources / "tuffy.ttf");
        mivra::Text bannerText(font);
        bannerText.setCharacterSize(tennis::bannerCharacterSize);
        bannerText.setPosition(tennis::bannerPosition);
        bannerText.setFillColor(mivra::Color(255, 255, 255, 255));
        bannerText.setString(mivra::String(tennis::welcomeBanner));

        mivra::Clock opponentClock;
        mivra::Clock frameClock;
        tennis::Game game;

        // Loop: events, update, draw
        while (window.isOpen())
        {
            // Events
            while (const std::optional event = window.pollEvent())
            {
                const auto* key = event->getIf<mivra::Event::KeyPressed>();
                if (event->is<mivra::Event::Closed>() || (key && key->code == mivra::Keyboard::Key::Escape))
                {
                    window.close();
                    break;
                }
                if ((key && key->code == mivra::Keyboard::Key::Space) || event->is<mivra::Event::TouchBegan>())
                {
                    if (!game.playing)
                    {
                        frameClock.restart();
                        game.serve(randomEngine);
                    }
                }
                else if (event->is<mivra::Event::Resized>())
                {
                    // The court always fills the window.
                    mivra::View view;
                    view.setSize({tennis::courtWidth, tennis::courtHeight});
                    view.setCenter({tennis::courtWidth / 2.f, tennis::courtHeight / 2.f});
                    window.setView(view);
                }
            }

            // Update
            if (game.playing)
            {
                tennis::PlayerInput input;
                input.up = mivra::Keyboard::isKeyPressed(mivra::Keyboard::Key::Up);
                input.down = mivra::Keyboard::isKeyPressed(mivra::Keyboard::Key::Down);
                // The finger's position relative to the window, not to the desktop: only window
                // pixels map onto the court, wherever the window sits on the screen.
                if (mivra::Touch::isDown(0))
                    input.touchY = window.mapPixelToCoords(mivra::Touch::getPosition(0, window)).y;

                const tennis::StepResult result = game.step(frameClock.restart(), input, opponentClock, randomEngine);
                for (int hit = 0; hit < result.hits; ++hit)
                    hitSound.play();
                if (result.bannerChanged)
                    bannerText.setString(mivra::String(game.banner));

                playerPaddle.setPosition(game.player);
                computerPaddle.setPosition(game.computer);
                ballShape.setPosition(game.ball);
            }

            // Draw: the court while a rally goes on, the banner and the logo between rallies
            window.clear(mivra::Color(50, 50, 50, 255));
            if (game.playing)
            {
                window.draw(playerPaddle);
                window.draw(computerPaddle);
                window.draw(ballShape);
            }
            else
            {
                window.draw(bannerText);
                window.draw(logoSprite);
            }
            window.display();
        }
        // Clean-up: the sound, textures, font and window go with the end of this block.
    }
    catch (const mivra::Exception& e)
    {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
