// The inspector's rows fed by the library's joystick events, from SDL's virtual joysticks.
#include "JoystickEvents.hpp"
#include "JoystickRows.hpp"
#include "LibraryJoysticks.hpp"

#include <mivra/Window/WindowBase.hpp>

#include <SDL.h>

#include <gtest/gtest.h>

namespace
{
std::string value(const joystick::JoystickRows& rows, const std::string& key)
{
    return rows.row(key).value.toAnsiString();
}

SDL_Joystick* attach(int axes, int buttons, int hats)
{
    const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
    return device < 0 ? nullptr : SDL_JoystickOpen(device);
}

void detach(SDL_Joystick* handle)
{
    const SDL_JoystickID instance = SDL_JoystickInstanceID(handle);
    SDL_JoystickClose(handle);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_JoystickGetDeviceInstanceID(i) == instance)
            SDL_JoystickDetachVirtual(i);
}

class VirtualJoystickRows : public ::testing::Test
{
protected:
    // What the inspector's frame loop does with the pending events; the number of events seen.
    int frame()
    {
        int count = 0;
        while (const auto event = window.pollEvent())
        {
            joystick::applyJoystickEvent(*event, rows, joysticks);
            ++count;
        }
        return count;
    }

    mivra::WindowBase window{mivra::VideoMode({64, 64}), "joystick rows test"};
    joystick::JoystickRows rows;
    joystick::LibraryJoysticks joysticks;
};

TEST_F(VirtualJoystickRows, RowsFollowTheJoystickFromConnectionToDisconnection)
{
    ASSERT_TRUE(window.isOpen());
    frame();
    EXPECT_EQ(rows.row("ID").label.toAnsiString(), "<Not Connected>");

    SDL_Joystick* pad = attach(3, 6, 1);
    ASSERT_NE(pad, nullptr) << SDL_GetError();
    frame();
    EXPECT_EQ(rows.row("ID").label.toAnsiString(), "Joystick 0:");
    EXPECT_EQ(rows.row("ID").value, mivra::Joystick::getIdentification(0).name);
    EXPECT_EQ(value(rows, "X"), "0.00");
    EXPECT_EQ(value(rows, "Z"), "0.00");
    EXPECT_EQ(value(rows, "R"), "N/A");
    EXPECT_EQ(value(rows, "PovX"), "0.00");
    EXPECT_EQ(value(rows, "Button 5"), "false");
    EXPECT_EQ(value(rows, "Button 6"), "N/A");

    // A move past the threshold shows the new position.
    SDL_JoystickSetVirtualAxis(pad, 0, -32768);
    EXPECT_GT(frame(), 0);
    EXPECT_EQ(value(rows, "X"), "-100.00");

    // Under a raised threshold a small move makes no event, and the row keeps the old value.
    rows.adjustThreshold(true, false, [&](float t) { window.setJoystickThreshold(t); }); // 0.2
    for (int i = 0; i < 49; ++i)
        rows.adjustThreshold(true, false, [&](float t) { window.setJoystickThreshold(t); });
    EXPECT_EQ(value(rows, "Threshold"), "5.10  (Change with up/down arrow keys)");
    SDL_JoystickSetVirtualAxis(pad, 0, -32768 + 1000); // 3 %
    EXPECT_EQ(frame(), 0);
    EXPECT_EQ(value(rows, "X"), "-100.00");
    SDL_JoystickSetVirtualAxis(pad, 0, 0);
    EXPECT_GT(frame(), 0);
    EXPECT_EQ(value(rows, "X"), "0.00");

    // Buttons.
    SDL_JoystickSetVirtualButton(pad, 2, 1);
    frame();
    EXPECT_EQ(value(rows, "Button 2"), "true");
    SDL_JoystickSetVirtualButton(pad, 2, 0);
    frame();
    EXPECT_EQ(value(rows, "Button 2"), "false");

    // A second joystick without a Z axis: its move switches the display, Z stays from the first.
    SDL_JoystickSetVirtualAxis(pad, 2, 32767);
    frame();
    EXPECT_EQ(value(rows, "Z"), "100.00");
    SDL_Joystick* stick = attach(2, 1, 0);
    ASSERT_NE(stick, nullptr);
    frame();
    EXPECT_EQ(rows.row("ID").label.toAnsiString(), "Joystick 1:");
    SDL_JoystickSetVirtualAxis(stick, 1, 16384);
    frame();
    EXPECT_EQ(rows.row("ID").label.toAnsiString(), "Joystick 1:");
    EXPECT_EQ(value(rows, "Y"), "50.00");
    EXPECT_EQ(value(rows, "Z"), "100.00");
    EXPECT_EQ(value(rows, "Button 2"), "false"); // the first joystick's, left on screen

    // Unplugging the joystick that is not shown still resets everything.
    detach(pad);
    frame();
    EXPECT_EQ(rows.row("ID").label.toAnsiString(), "<Not Connected>");
    EXPECT_EQ(value(rows, "ID"), "");
    EXPECT_EQ(value(rows, "Z"), "N/A");
    EXPECT_EQ(value(rows, "Y"), "N/A");
    EXPECT_EQ(value(rows, "Threshold"), "5.10  (Change with up/down arrow keys)");

    // Joystick 1 is still there and comes back at its next event.
    SDL_JoystickSetVirtualButton(stick, 0, 1);
    frame();
    EXPECT_EQ(rows.row("ID").label.toAnsiString(), "Joystick 1:");
    EXPECT_EQ(value(rows, "Button 0"), "true");
    detach(stick);
    frame();
    EXPECT_EQ(rows.row("ID").label.toAnsiString(), "<Not Connected>");
}
} // namespace
