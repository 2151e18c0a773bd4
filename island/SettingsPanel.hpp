#pragma once

#include "Terrain.hpp"

#include <mivra/System/Vector2.hpp>

#include <array>
#include <cstdint>
#include <ostream>
#include <utility>

namespace island
{
// The panel's look: white text with a black outline at the top left of the terrain.
inline constexpr mivra::Vector2f panelPosition{5.f, 5.f};
inline constexpr unsigned int panelCharacterSize = 14;
inline constexpr float panelOutlineThickness = 2.f;

// The panel's first line: the duration of the previous frame, in whole milliseconds.
void writeFrameTime(std::ostream& out, std::int64_t frameMicroseconds);

// The settings part of the on-screen panel: the nine settings by name, one of them selected,
// edited in steps of 0.1 with no bounds.
class SettingsPanel
{
public:
    explicit SettingsPanel(TerrainSettings& settings);

    void selectPrevious(); // from the first setting to the last
    void selectNext();     // from the last setting to the first
    void change(float delta);
    unsigned cursor() const { return m_settingsCursor; }

    // The octave count, the help lines and one line per setting, the selected one marked ">>".
    void write(std::ostream& out) const;

private:
    std::array<std::pair<const char*, float*>, 9> m_settingsList;
    unsigned m_settingsCursor = 0;
};
} // namespace island
