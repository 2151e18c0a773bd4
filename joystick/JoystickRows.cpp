#include "JoystickRows.hpp"

#include <iomanip>

namespace joystick
{
namespace
{
// Plain literals: the row table may be built before any other static object of this file, since
// the program keeps it for its whole life.
constexpr const char* idKey = "ID";
constexpr const char* thresholdKey = "Threshold";
constexpr const char* notAvailable = "N/A";
constexpr const char* notConnected = "<Not Connected>";
} // namespace

JoystickRows::JoystickRows()
{
    m_formatter << std::fixed << std::setprecision(2) << std::boolalpha;

    m_rows[idKey] = {mivra::String(notConnected), mivra::String(), 0};
    m_rows[thresholdKey] = {mivra::String("Threshold:"), mivra::String(), 2};
    refreshThresholdText();
    for (std::size_t a = 0; a < axisNames.size(); ++a)
        m_rows[axisNames[a]] = {mivra::String(std::string(axisNames[a]) + ":"), mivra::String(notAvailable),
                                4 + static_cast<int>(a)};
    for (unsigned int n = 0; n < rowButtonCount; ++n)
    {
        formatter() << "Button " << n;
        const std::string key = m_formatter.str();
        m_rows[key] = {mivra::String(key + ":"), mivra::String(notAvailable), 12 + static_cast<int>(n)};
    }
}

std::ostringstream& JoystickRows::formatter()
{
    m_formatter.str({});
    return m_formatter;
}

void JoystickRows::setLabel(const std::string& key, const std::string& text)
{
    RowText& row = m_rows.at(key);
    row.label = mivra::String(text);
    row.changed = true;
}

void JoystickRows::setValue(const std::string& key, const mivra::String& text)
{
    RowText& row = m_rows.at(key);
    row.value = text;
    row.changed = true;
}

void JoystickRows::showJoystick(unsigned int index, const JoystickState& joysticks)
{
    formatter() << "Joystick " << index << ":";
    setLabel(idKey, m_formatter.str());
    setValue(idKey, joysticks.name(index));

    for (std::size_t a = 0; a < axisNames.size(); ++a)
    {
        const int axis = static_cast<int>(a);
        if (!joysticks.hasAxis(index, axis))
            continue;
        formatter() << joysticks.axisPosition(index, axis);
        setValue(axisNames[a], mivra::String(m_formatter.str()));
    }

    const unsigned int buttons = joysticks.buttonCount(index);
    for (unsigned int n = 0; n < buttons && n < rowButtonCount; ++n)
    {
        formatter() << "Button " << n;
        const std::string key = m_formatter.str();
        formatter() << joysticks.isButtonPressed(index, n);
        setValue(key, mivra::String(m_formatter.str()));
    }
}

void JoystickRows::resetRows()
{
    for (auto& [key, row] : m_rows)
    {
        row.value = mivra::String(notAvailable);
        row.changed = true;
    }
    m_rows.at(idKey).label = mivra::String(notConnected);
    m_rows.at(idKey).value = mivra::String();
    refreshThresholdText();
}

void JoystickRows::refreshThresholdText()
{
    formatter() << m_threshold << "  (Change with up/down arrow keys)";
    setValue(thresholdKey, mivra::String(m_formatter.str()));
}

void JoystickRows::adjustThreshold(bool up, bool down, const std::function<void(float)>& apply)
{
    float next = m_threshold;
    if (up)
        next += 0.1f;
    if (down)
        next -= 0.1f;
    if (next < minThreshold)
        next = minThreshold;
    else if (next > maxThreshold)
        next = maxThreshold;
    if (next == m_threshold)
        return;
    m_threshold = next;
    apply(m_threshold);
    refreshThresholdText();
}
} // namespace joystick
