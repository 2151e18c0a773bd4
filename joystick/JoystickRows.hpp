#pragma once

#include <mivra/System/String.hpp>
#include <mivra/System/Vector2.hpp>

#include <array>
#include <functional>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace joystick
{
// What the inspector reads of a joystick; the program passes the library's joysticks, tests a
// set of their own.
class JoystickState
{
public:
    virtual ~JoystickState() = default;
    [[nodiscard]] virtual bool isConnected(unsigned int index) const = 0;
    [[nodiscard]] virtual mivra::String name(unsigned int index) const = 0;
    [[nodiscard]] virtual bool hasAxis(unsigned int index, int axis) const = 0;
    [[nodiscard]] virtual float axisPosition(unsigned int index, int axis) const = 0;
    [[nodiscard]] virtual unsigned int buttonCount(unsigned int index) const = 0;
    [[nodiscard]] virtual bool isButtonPressed(unsigned int index, unsigned int button) const = 0;
};

// One line of the display: a label on the left and a value on the right. `changed` is set by
// every update and cleared by whoever copies the strings into texts.
struct RowText
{
    mivra::String label;
    mivra::String value;
    int number = 0; // line on the screen
    bool changed = true;
};

// The inspector's 400 x 775 window and where its rows stand: labels at x = 5, values at x = 80,
// the first row at y = 5 and one line of the font at rowCharacterSize between rows.
inline constexpr mivra::Vector2u windowSize{400, 775};
inline constexpr unsigned int rowCharacterSize = 14;
inline constexpr float labelX = 5.f;
inline constexpr float valueX = 80.f;
inline constexpr float firstRowY = 5.f;

// The axis names in the library's axis order (X, Y, Z, R, U, V, PovX, PovY).
inline constexpr std::array<const char*, 8> axisNames{"X", "Y", "Z", "R", "U", "V", "PovX", "PovY"};
inline constexpr unsigned int rowButtonCount = 32;
inline constexpr float minThreshold = 0.1f;
inline constexpr float maxThreshold = 100.f;

// The inspector's 42 rows: the shown joystick's index and name, the threshold, eight axes and
// 32 buttons, keyed by "ID", "Threshold", the axis names and "Button 0" to "Button 31".
class JoystickRows
{
public:
    JoystickRows();

    [[nodiscard]] const RowText& row(const std::string& key) const { return m_rows.at(key); }
    [[nodiscard]] std::unordered_map<std::string, RowText>& rows() { return m_rows; }
    [[nodiscard]] float threshold() const { return m_threshold; }

    // Shows the joystick with this index: its name, every axis it has and every button it has.
    // Rows of axes and buttons it lacks keep what they showed before.
    void showJoystick(unsigned int index, const JoystickState& joysticks);

    // Back to "<Not Connected>", every value "N/A" and the threshold line rewritten.
    void resetRows();

    // One frame of the Up/Down keys: 0.1 up, 0.1 down, held within [0.1, 100]. Calls `apply` with
    // the new threshold, and rewrites its line, only when the value changes.
    void adjustThreshold(bool up, bool down, const std::function<void(float)>& apply);

private:
    void refreshThresholdText();
    // Empties the shared formatter and returns it, keeping its settings.
    std::ostringstream& formatter();
    void setLabel(const std::string& key, const std::string& text);
    void setValue(const std::string& key, const mivra::String& text);

    std::unordered_map<std::string, RowText> m_rows;
    std::ostringstream m_formatter;
    float m_threshold = minThreshold;
};
} // namespace joystick
