// Joystick inspector: lists the name, axes and buttons of the joystick whose event came last,
// and lets Up and Down change the window's joystick threshold.

#include "JoystickEvents.hpp"
#include "JoystickRows.hpp"
#include "LibraryJoysticks.hpp"

#include <mivra/Graphics.hpp>
#include <mivra/System/Exception.hpp>
#include <mivra/Window.hpp>

#include <filesystem>
#include <iostream>
#include <string>
#include <unordered_map>

namespace
{
// One line of the display.
struct Row
{
    mivra::Text label;
    mivra::Text value;
};

// The rows' texts and what they show. Both live for the whole program; the texts are only drawn
// while the font in main exists.
std::unordered_map<std::string, Row> rowTable;
joystick::JoystickRows rowModel;

// Copies the rows that changed into their texts.
void refreshTexts()
{
    for (auto& [key, row] : rowModel.rows())
    {
        if (!row.changed)
            continue;
        Row& texts = rowTable.at(key);
        texts.label.setString(row.label);
        texts.value.setString(row.value);
        row.changed = false;
    }
}
} // namespace

int main()
{
    try
    {
        // Set-up
        mivra::RenderWindow window(mivra::VideoMode(joystick::windowSize), "Joystick", mivra::Style::Close);
        window.setVerticalSyncEnabled(true);

        const mivra::Font font(std::filesystem::path(MIVRA_RESOURCE_DIR) / "tuffy.ttf");
        const float rowSpacing = font.getLineSpacing(joystick::rowCharacterSize);

        for (const auto& [key, row] : rowModel.rows())
        {
            Row& texts = rowTable
                             .try_emplace(key, Row{mivra::Text(font, row.label, 30), mivra::Text(font, row.value, 30)})
                             .first->second;
            const float y = joystick::firstRowY + static_cast<float>(row.number) * rowSpacing;
            texts.label.setPosition({joystick::labelX, y});
            texts.value.setPosition({joystick::valueX, y});
        }
        for (auto& [key, texts] : rowTable)
        {
            texts.label.setCharacterSize(joystick::rowCharacterSize);
            texts.value.setCharacterSize(joystick::rowCharacterSize);
        }

        const joystick::LibraryJoysticks joysticks;
        for (unsigned int index = 0; index < mivra::Joystick::Count; ++index)
        {
            if (joysticks.isConnected(index))
            {
                rowModel.showJoystick(index, joysticks);
                break;
            }
        }

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
                joystick::applyJoystickEvent(*event, rowModel, joysticks);
            }

            // Update
            rowModel.adjustThreshold(mivra::Keyboard::isKeyPressed(mivra::Keyboard::Key::Up),
                                     mivra::Keyboard::isKeyPressed(mivra::Keyboard::Key::Down),
                                     [&](float threshold) { window.setJoystickThreshold(threshold); });
            refreshTexts();

            // Draw
            window.clear(mivra::Color(0, 0, 0, 255));
            for (const auto& [key, texts] : rowTable)
            {
                window.draw(texts.label);
                window.draw(texts.value);
            }
            window.display();
        }
        // Clean-up: the window and the font go with the end of this block; the rows' texts,
        // which outlive the font, are no longer drawn.
    }
    catch (const mivra::Exception& e)
    {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
