#include "SettingsPanel.hpp"

namespace island
{
SettingsPanel::SettingsPanel(TerrainSettings& s)
    : m_settingsList{{{"perlinFrequency", &s.perlinFrequency},
                      {"perlinFrequencyBase", &s.perlinFrequencyBase},
                      {"heightBase", &s.heightBase},
                      {"edgeFactor", &s.edgeFactor},
                      {"edgeDropoffExponent", &s.edgeDropoffExponent},
                      {"snowcapHeight", &s.snowcapHeight},
                      {"heightFactor", &s.heightFactor},
                      {"heightFlatten", &s.heightFlatten},
                      {"lightFactor", &s.lightFactor}}}
{
}

void SettingsPanel::selectPrevious()
{
    m_settingsCursor = (m_settingsCursor + 8) % 9;
}

void SettingsPanel::selectNext()
{
    m_settingsCursor = (m_settingsCursor + 1) % 9;
}

void SettingsPanel::change(float delta)
{
    *m_settingsList[m_settingsCursor].second += delta;
}

void writeFrameTime(std::ostream& out, std::int64_t frameMicroseconds)
{
    out << "Frame:  " << frameMicroseconds / 1000 << "ms\n";
}

void SettingsPanel::write(std::ostream& out) const
{
    out << "perlinOctaves:  " << perlinOctaves << "\n\n";
    out << "Use the arrow keys to change the values.\nUse the return key to regenerate the terrain.\n\n";
    for (unsigned i = 0; i < m_settingsList.size(); ++i)
        out << (i == m_settingsCursor ? ">>  " : "       ") << m_settingsList[i].first << ":  "
            << *m_settingsList[i].second << '\n';
}
} // namespace island
