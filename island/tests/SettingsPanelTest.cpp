#include "SettingsPanel.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace island
{
namespace
{
std::string text(const SettingsPanel& panel)
{
    std::ostringstream out;
    panel.write(out);
    return out.str();
}

// The line of the panel that names a setting.
std::string lineOf(const SettingsPanel& panel, const std::string& name)
{
    std::istringstream in(text(panel));
    for (std::string line; std::getline(in, line);)
        if (line.find(name + ":") != std::string::npos)
            return line;
    return {};
}

TEST(SettingsPanel, DefaultText)
{
    TerrainSettings settings;
    const SettingsPanel panel(settings);
    EXPECT_EQ(text(panel), "perlinOctaves:  3\n\n"
                           "Use the arrow keys to change the values.\nUse the return key to regenerate the terrain.\n\n"
                           ">>  perlinFrequency:  7\n"
                           "       perlinFrequencyBase:  4\n"
                           "       heightBase:  0\n"
                           "       edgeFactor:  0.9\n"
                           "       edgeDropoffExponent:  1.5\n"
                           "       snowcapHeight:  0.6\n"
                           "       heightFactor:  300\n"
                           "       heightFlatten:  3\n"
                           "       lightFactor:  0.7\n");
}

TEST(SettingsPanel, CursorWrapsBothWays)
{
    TerrainSettings settings;
    SettingsPanel panel(settings);
    panel.selectPrevious();
    EXPECT_EQ(panel.cursor(), 8u);
    EXPECT_EQ(lineOf(panel, "lightFactor"), ">>  lightFactor:  0.7");
    EXPECT_EQ(lineOf(panel, "perlinFrequency"), "       perlinFrequency:  7");
    panel.selectNext();
    EXPECT_EQ(panel.cursor(), 0u);
    for (int i = 0; i < 9; ++i)
        panel.selectNext();
    EXPECT_EQ(panel.cursor(), 0u);
}

TEST(SettingsPanel, SingleStepsOfATenthDoNotReturnToZero)
{
    TerrainSettings settings;
    SettingsPanel panel(settings);
    panel.selectPrevious(); // lightFactor
    const char* shown[] = {"0.6", "0.5", "0.4", "0.3", "0.2", "0.1", "-1.49012e-08"};
    for (const char* value : shown)
    {
        panel.change(-0.1f);
        EXPECT_EQ(lineOf(panel, "lightFactor"), std::string(">>  lightFactor:  ") + value);
    }
    EXPECT_EQ(settings.lightFactor, 0.7f - 0.1f - 0.1f - 0.1f - 0.1f - 0.1f - 0.1f - 0.1f);
}

TEST(SettingsPanel, EditsTheSelectedSettingOnly)
{
    TerrainSettings settings;
    SettingsPanel panel(settings);
    panel.selectNext();
    panel.selectNext(); // heightBase
    for (int i = 0; i < 12; ++i)
        panel.change(0.1f);
    EXPECT_EQ(lineOf(panel, "heightBase"), ">>  heightBase:  1.2");
    const TerrainSettings defaults;
    EXPECT_EQ(settings.perlinFrequencyBase, defaults.perlinFrequencyBase);
    EXPECT_EQ(settings.edgeFactor, defaults.edgeFactor);
    EXPECT_EQ(settings.lightFactor, defaults.lightFactor);
}
} // namespace
} // namespace island
