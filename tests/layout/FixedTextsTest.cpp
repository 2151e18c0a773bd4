// Every text the window programs draw at a fixed place with a fixed string must lie inside its
// window with the font installed as tuffy.ttf / Tuffy.ttf: a wider font pushes lines past the
// right edge, where they are cut off. The strings, sizes and places come from the programs.
#include "Gallery.hpp"       // shader
#include "JoystickRows.hpp"  // joystick
#include "Layout.hpp"        // event_handling
#include "SettingsPanel.hpp" // island
#include "ShinyText.hpp"     // keyboard
#include "TennisGame.hpp"    // tennis
#include "TextColumns.hpp"   // keyboard

#include <mivra/Graphics.hpp>

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <sstream>
#include <string>

namespace
{
const std::string fontDirectory = MIVRA_BINARY_DIR "/resources/";

// Fails, naming the text and how far it reaches, when its global bounds leave the window.
void expectInside(const mivra::Text& text, mivra::Vector2u window, const std::string& what)
{
    const mivra::FloatRect bounds = text.getGlobalBounds();
    SCOPED_TRACE(what);
    ASSERT_GT(bounds.size.x, 0.f) << "nothing measured";
    EXPECT_GE(bounds.position.x, 0.f);
    EXPECT_GE(bounds.position.y, 0.f);
    EXPECT_LE(bounds.position.x + bounds.size.x, static_cast<float>(window.x))
        << "right edge of a " << window.x << " px window";
    EXPECT_LE(bounds.position.y + bounds.size.y, static_cast<float>(window.y))
        << "bottom of a " << window.y << " px window";
}

mivra::Text placed(const mivra::Font& font, const std::string& string, unsigned int size, mivra::Vector2f position)
{
    mivra::Text text(font, mivra::String(string), size);
    text.setPosition(position);
    return text;
}

class FixedTexts : public testing::Test
{
protected:
    const mivra::Font font{fontDirectory + "tuffy.ttf"};
};

TEST_F(FixedTexts, ShaderGalleryCaption)
{
    mivra::Texture captionTexture;
    ASSERT_TRUE(captionTexture.create({800, 80}));
    shader::Gallery gallery(font, captionTexture, {});
    expectInside(gallery.getHelpText(), shader::Gallery::windowSize, "help line");
    for (unsigned i = 0; i < shader::Gallery::effectCount; ++i)
    {
        expectInside(gallery.getEffectLabel(), shader::Gallery::windowSize,
                     "label of effect " + std::to_string(gallery.getEffectIndex()));
        gallery.handleKey(mivra::Keyboard::Key::Right);
    }
}

TEST_F(FixedTexts, EventHandlingLines)
{
    for (const char* line : event_handling::handlerLines)
    {
        mivra::Text text = placed(font, line, event_handling::bannerCharacterSize, event_handling::handlerPosition);
        text.setStyle(mivra::Text::Bold);
        expectInside(text, event_handling::windowSize, line);
    }
    mivra::Text instructions = placed(font, event_handling::instructionsLine, event_handling::bannerCharacterSize,
                                      event_handling::instructionsPosition);
    instructions.setStyle(mivra::Text::Bold);
    expectInside(instructions, event_handling::windowSize, event_handling::instructionsLine);
}

TEST_F(FixedTexts, TennisBanners)
{
    const mivra::Vector2u court(static_cast<unsigned>(tennis::courtWidth), static_cast<unsigned>(tennis::courtHeight));
    for (const std::string& banner : {tennis::welcomeBanner, tennis::lostBanner, tennis::wonBanner})
        expectInside(placed(font, banner, tennis::bannerCharacterSize, tennis::bannerPosition), court, banner);
}

TEST_F(FixedTexts, KeyboardColumnHeadings)
{
    const mivra::Font keyboardFont(fontDirectory + "Tuffy.ttf");
    for (const keyboard::TextColumn& column :
         {keyboard::keyPressedColumn, keyboard::keyReleasedColumn, keyboard::textEnteredColumn})
        expectInside(keyboard::ShinyText(keyboardFont, column.heading, column.position), keyboard::windowSize,
                     column.heading);
    mivra::Text keysHeld = placed(keyboardFont, keyboard::keysHeldColumn.heading, keyboard::columnCharacterSize,
                                  keyboard::keysHeldColumn.position);
    expectInside(keysHeld, keyboard::windowSize, keyboard::keysHeldColumn.heading);
}

TEST_F(FixedTexts, JoystickRows)
{
    joystick::JoystickRows rows;
    // The threshold line at its widest, 100.00.
    for (int frame = 0; frame < 1000 && rows.threshold() < joystick::maxThreshold; ++frame)
        rows.adjustThreshold(true, false, [](float) {});
    const float rowSpacing = font.getLineSpacing(joystick::rowCharacterSize);
    for (const auto& [key, row] : rows.rows())
    {
        const float y = joystick::firstRowY + static_cast<float>(row.number) * rowSpacing;
        mivra::Text label(font, row.label, joystick::rowCharacterSize);
        label.setPosition({joystick::labelX, y});
        expectInside(label, joystick::windowSize, "label of " + key);
        if (!row.value.isEmpty())
        {
            mivra::Text value(font, row.value, joystick::rowCharacterSize);
            value.setPosition({joystick::valueX, y});
            expectInside(value, joystick::windowSize, "value of " + key);
        }
    }
}

TEST_F(FixedTexts, IslandPanel)
{
    island::TerrainSettings settings;
    island::SettingsPanel panel(settings);
    std::ostringstream out;
    island::writeFrameTime(out, 9'999'000); // "Frame:  9999ms"
    panel.write(out);
    mivra::Text text = placed(font, out.str(), island::panelCharacterSize, island::panelPosition);
    text.setOutlineThickness(island::panelOutlineThickness);
    expectInside(text, {island::gridWidth, island::gridHeight}, "settings panel");
}
} // namespace
