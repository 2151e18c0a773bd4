// Keyboard inspector: shows every key code, scancode and text event the library reports, on an
// on-screen keyboard that follows the keys, and lists the key codes held down.

#include "KeyNames.hpp"
#include "KeyboardView.hpp"
#include "ShinyText.hpp"
#include "TextColumns.hpp"

#include <mivra/Audio.hpp>
#include <mivra/Graphics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window.hpp>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

namespace
{
const std::filesystem::path resources(MIVRA_RESOURCE_DIR);

const mivra::Color usualFlash(0, 255, 0, 255);
const mivra::Color unusualFlash(255, 0, 0, 255);
const mivra::Color textFlash(255, 255, 0, 255);

// Writes a key event into its text, flashes it and plays its sound; tells the keyboard view.
template <typename KeyEvent, typename Notify>
void showKeyEvent(const KeyEvent& event, const std::string& heading, keyboard::ShinyText& text, mivra::Sound& sound,
                  mivra::Sound& errorSound, Notify notify)
{
    const bool unusual = keyboard::isUnusualKeyEvent(event);
    std::string description = heading + "\n\n" + keyboard::keyName(event.code) + "\n" +
                              keyboard::scancodeName(event.scancode);
    if (unusual)
    {
        description += "\nLocalized:\t" + keyboard::keyName(mivra::Keyboard::localize(event.scancode));
        description += "\nDelocalized:\t" + keyboard::scancodeName(mivra::Keyboard::delocalize(event.code));
    }
    text.setString(mivra::String(description));

    if (unusual)
    {
        text.flash(unusualFlash);
        errorSound.play();
    }
    else
    {
        text.flash(usualFlash);
        sound.play();
    }
    if (event.scancode != mivra::Keyboard::Scan::Unknown)
        notify(event.scancode);
}

// "Text Entered", the character, and its code point as U+ and at least four lower-case hex digits.
mivra::String describeText(char32_t unicode)
{
    std::ostringstream codePoint;
    codePoint << std::hex;
    codePoint.width(4);
    codePoint.fill('0');
    codePoint << static_cast<std::uint32_t>(unicode);
    return mivra::String("Text Entered\n\n") + mivra::String(unicode) + mivra::String("\nU+" + codePoint.str());
}
} // namespace

int main()
{
    try
    {
        // Set-up
        mivra::RenderWindow window(mivra::VideoMode(keyboard::windowSize), "Keyboard",
                                   mivra::Style::Titlebar | mivra::Style::Close);
        window.setFramerateLimit(25);

        const mivra::SoundBuffer errorBuffer(resources / "error_005.ogg");
        const mivra::SoundBuffer pressedBuffer(resources / "mouseclick1.ogg");
        const mivra::SoundBuffer releasedBuffer(resources / "mouserelease1.ogg");
        mivra::Sound errorSound(errorBuffer);
        mivra::Sound pressedSound(pressedBuffer);
        mivra::Sound releasedSound(releasedBuffer);
        const mivra::Font font(resources / "Tuffy.ttf");

        keyboard::KeyboardView keyboardView(font);
        keyboardView.setPosition({16.f, 16.f});

        keyboard::ShinyText keyPressedText(font, keyboard::keyPressedColumn.heading,
                                           keyboard::keyPressedColumn.position);
        keyboard::ShinyText keyReleasedText(font, keyboard::keyReleasedColumn.heading,
                                            keyboard::keyReleasedColumn.position);
        keyboard::ShinyText textEnteredText(font, keyboard::textEnteredColumn.heading,
                                            keyboard::textEnteredColumn.position);
        mivra::Text keysHeldText(font, mivra::String(), keyboard::columnCharacterSize);
        keysHeldText.setLineSpacing(20.f / font.getLineSpacing(keyboard::columnCharacterSize));
        keysHeldText.setPosition(keyboard::keysHeldColumn.position);

        mivra::Clock clock;
        std::string keysHeld;

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
                if (const auto* resized = event->getIf<mivra::Event::Resized>())
                {
                    // One unit stays one pixel: the keyboard and texts keep their size.
                    window.setView(mivra::View(mivra::FloatRect(
                        {0.f, 0.f}, {static_cast<float>(resized->size.x), static_cast<float>(resized->size.y)})));
                }
                else if (const auto* pressed = event->getIf<mivra::Event::KeyPressed>())
                {
                    showKeyEvent(*pressed, keyboard::keyPressedColumn.heading, keyPressedText, pressedSound, errorSound,
                                 [&](mivra::Keyboard::Scan s) { keyboardView.notifyPressed(s); });
                }
                else if (const auto* released = event->getIf<mivra::Event::KeyReleased>())
                {
                    showKeyEvent(*released, keyboard::keyReleasedColumn.heading, keyReleasedText, releasedSound,
                                 errorSound, [&](mivra::Keyboard::Scan s) { keyboardView.notifyReleased(s); });
                }
                else if (const auto* text = event->getIf<mivra::Event::TextEntered>())
                {
                    textEnteredText.setString(describeText(text->unicode));
                    textEnteredText.flash(textFlash);
                }
            }

            // Update
            const mivra::Time elapsed = clock.restart();
            keyboardView.update(elapsed);
            keyPressedText.update(elapsed);
            keyReleasedText.update(elapsed);
            textEnteredText.update(elapsed);

            keysHeld = std::string(keyboard::keysHeldColumn.heading) + "\n\n";
            for (int k = 0; k < mivra::Keyboard::KeyCount; ++k)
            {
                const auto key = static_cast<mivra::Keyboard::Key>(k);
                if (mivra::Keyboard::isKeyPressed(key))
                    keysHeld += keyboard::keyName(key) + "\n";
            }
            keysHeldText.setString(mivra::String(keysHeld));

            // Draw
            window.clear(mivra::Color(0, 0, 0, 255));
            window.draw(keyboardView);
            window.draw(keyPressedText);
            window.draw(keyReleasedText);
            window.draw(textEnteredText);
            window.draw(keysHeldText);
            window.display();
        }
        // Clean-up: the sounds, the font and the window go with the end of this block.
    }
    catch (const mivra::Exception& e)
    {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
