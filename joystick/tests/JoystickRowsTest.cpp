#include "FakeJoysticks.hpp"
#include "JoystickRows.hpp"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace
{
using joystick::JoystickRows;

// The program keeps its rows in a static object, built before main and before (or after) the
// static objects of the rows' own code.
JoystickRows staticRows;

std::string label(const JoystickRows& rows, const std::string& key)
{
    return rows.row(key).label.toAnsiString();
}
std::string value(const JoystickRows& rows, const std::string& key)
{
    return rows.row(key).value.toAnsiString();
}
std::string button(int n)
{
    return "Button " + std::to_string(n);
}

const std::string thresholdSuffix = "  (Change with up/down arrow keys)";

void expectStartTexts(JoystickRows& rows, const std::string& threshold = "0.10")
{
    EXPECT_EQ(label(rows, "ID"), "<Not Connected>");
    EXPECT_EQ(value(rows, "ID"), "");
    EXPECT_EQ(label(rows, "Threshold"), "Threshold:");
    EXPECT_EQ(value(rows, "Threshold"), threshold + thresholdSuffix);
    for (const std::string axis : joystick::axisNames)
    {
        EXPECT_EQ(label(rows, axis), axis + ":");
        EXPECT_EQ(value(rows, axis), "N/A") << axis;
    }
    for (int n = 0; n < 32; ++n)
    {
        EXPECT_EQ(label(rows, button(n)), button(n) + ":");
        EXPECT_EQ(value(rows, button(n)), "N/A") << n;
    }
}

TEST(JoystickRows, StartWithFortyTwoRowsOnTheirLines)
{
    JoystickRows rows;
    EXPECT_EQ(rows.rows().size(), 42u);
    expectStartTexts(rows);
    EXPECT_EQ(rows.row("ID").number, 0);
    EXPECT_EQ(rows.row("Threshold").number, 2);
    EXPECT_EQ(rows.row("X").number, 4);
    EXPECT_EQ(rows.row("PovY").number, 11);
    EXPECT_EQ(rows.row("Button 0").number, 12);
    EXPECT_EQ(rows.row("Button 31").number, 43);
    std::set<int> numbers;
    for (const auto& [key, row] : rows.rows())
        numbers.insert(row.number);
    EXPECT_EQ(numbers.size(), 42u); // no two rows share a line
}

TEST(JoystickRows, AStaticTableStartsLikeAnyOther)
{
    expectStartTexts(staticRows);
}

TEST(JoystickRows, ShowFillsTheAxesAndButtonsTheJoystickHas)
{
    FakeJoysticks joysticks;
    joysticks.connected[0] = {"Pad", {{0, -100.f}, {1, 0.f}}, 6, {1, 4}};
    JoystickRows rows;
    rows.showJoystick(0, joysticks);

    EXPECT_EQ(label(rows, "ID"), "Joystick 0:");
    EXPECT_EQ(value(rows, "ID"), "Pad");
    EXPECT_EQ(value(rows, "X"), "-100.00");
    EXPECT_EQ(value(rows, "Y"), "0.00");
    for (const char* axis : {"Z", "R", "U", "V", "PovX", "PovY"})
        EXPECT_EQ(value(rows, axis), "N/A") << axis;
    const std::vector<std::string> expected{"false", "true", "false", "false", "true", "false"};
    for (int n = 0; n < 6; ++n)
        EXPECT_EQ(value(rows, button(n)), expected[static_cast<std::size_t>(n)]) << n;
    for (int n = 6; n < 32; ++n)
        EXPECT_EQ(value(rows, button(n)), "N/A") << n;
    EXPECT_EQ(value(rows, "Threshold"), "0.10" + thresholdSuffix);
}

TEST(JoystickRows, AxesAreRoundedToTwoDecimals)
{
    FakeJoysticks joysticks;
    joysticks.connected[3] = {"Stick", {{2, 12.345f}, {6, 99.999f}, {7, -0.004f}}, 0, {}};
    JoystickRows rows;
    rows.showJoystick(3, joysticks);
    EXPECT_EQ(label(rows, "ID"), "Joystick 3:");
    EXPECT_EQ(value(rows, "Z"), "12.35");
    EXPECT_EQ(value(rows, "PovX"), "100.00");
    EXPECT_EQ(value(rows, "PovY"), "-0.00");
}

TEST(JoystickRows, AnAxisIsKeptFromThePreviousJoystickUntilADisconnection)
{
    FakeJoysticks joysticks;
    joysticks.connected[0] = {"With Z", {{0, 10.f}, {2, 55.5f}}, 8, {7}};
    joysticks.connected[1] = {"Without Z", {{0, -20.f}}, 2, {}};
    JoystickRows rows;
    rows.showJoystick(0, joysticks);
    rows.showJoystick(1, joysticks);

    EXPECT_EQ(label(rows, "ID"), "Joystick 1:");
    EXPECT_EQ(value(rows, "ID"), "Without Z");
    EXPECT_EQ(value(rows, "X"), "-20.00");
    EXPECT_EQ(value(rows, "Z"), "55.50");      // left over from joystick 0
    EXPECT_EQ(value(rows, button(7)), "true"); // likewise
    EXPECT_EQ(value(rows, button(0)), "false");

    rows.resetRows();
    expectStartTexts(rows);
}

TEST(JoystickRows, ResetRewritesTheThresholdWithItsCurrentValue)
{
    FakeJoysticks joysticks;
    joysticks.connected[0] = {"Pad", {{0, 1.f}}, 1, {}};
    JoystickRows rows;
    for (int frame = 0; frame < 5; ++frame)
        rows.adjustThreshold(true, false, [](float) {});
    rows.showJoystick(0, joysticks);
    rows.resetRows();
    expectStartTexts(rows, "0.60");
}

TEST(JoystickRows, ChangedRowsAreFlagged)
{
    FakeJoysticks joysticks;
    joysticks.connected[0] = {"Pad", {{1, 1.f}}, 1, {}};
    JoystickRows rows;
    for (auto& [key, row] : rows.rows())
        row.changed = false;
    rows.showJoystick(0, joysticks);
    std::set<std::string> changed;
    for (const auto& [key, row] : rows.rows())
        if (row.changed)
            changed.insert(key);
    EXPECT_EQ(changed, (std::set<std::string>{"ID", "Y", "Button 0"}));
}

TEST(JoystickThreshold, FollowsTheKeysWithinItsBoundsAndCallsOnlyOnChange)
{
    JoystickRows rows;
    std::vector<float> applied;
    const auto apply = [&](float t) { applied.push_back(t); };

    // Down at the lower bound: nothing changes and the library is not told.
    rows.adjustThreshold(false, true, apply);
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(value(rows, "Threshold"), "0.10" + thresholdSuffix);

    // Neither key, and both keys: nothing visible, no call.
    rows.adjustThreshold(false, false, apply);
    rows.adjustThreshold(true, true, apply);
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(value(rows, "Threshold"), "0.10" + thresholdSuffix);

    // Ten frames of Up.
    for (int frame = 0; frame < 10; ++frame)
        rows.adjustThreshold(true, false, apply);
    ASSERT_EQ(applied.size(), 10u);
    EXPECT_NEAR(applied.back(), 1.1f, 1e-4f);
    EXPECT_EQ(applied.back(), rows.threshold());
    EXPECT_EQ(value(rows, "Threshold"), "1.10" + thresholdSuffix);

    // Up long enough stops at 100.
    for (int frame = 0; frame < 2000; ++frame)
        rows.adjustThreshold(true, false, apply);
    EXPECT_EQ(rows.threshold(), 100.f);
    EXPECT_EQ(applied.back(), 100.f);
    EXPECT_EQ(value(rows, "Threshold"), "100.00" + thresholdSuffix);
    const std::size_t calls = applied.size();
    rows.adjustThreshold(true, false, apply);
    EXPECT_EQ(applied.size(), calls);

    // Down all the way stops at 0.1.
    for (int frame = 0; frame < 2000; ++frame)
        rows.adjustThreshold(false, true, apply);
    EXPECT_EQ(rows.threshold(), 0.1f);
    EXPECT_EQ(value(rows, "Threshold"), "0.10" + thresholdSuffix);
    for (float t : applied)
    {
        EXPECT_GE(t, 0.1f);
        EXPECT_LE(t, 100.f);
    }
}
} // namespace
