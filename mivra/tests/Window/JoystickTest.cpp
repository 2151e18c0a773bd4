// Joysticks through the library, driven by SDL's virtual joysticks on the dummy video driver.
#include <mivra/Window/Joystick.hpp>
#include <mivra/System/Diagnostics.hpp>
#include <mivra/Window/WindowBase.hpp>

#include "../Support/DiagnosticCapture.hpp"
#include "detail/SdlJoysticks.hpp"

#include <SDL.h>

#include <csignal>
#include <iostream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace
{
using mivra::Event;
using Axis = mivra::Joystick::Axis;

// A virtual device plugged in for the length of a test; `handle` sets its controls.
class VirtualJoystick
{
public:
    VirtualJoystick(int axes, int buttons, int hats)
    {
        m_device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
        if (m_device >= 0)
            m_handle = SDL_JoystickOpen(m_device);
    }
    ~VirtualJoystick() { detach(); }
    VirtualJoystick(const VirtualJoystick&) = delete;
    VirtualJoystick& operator=(const VirtualJoystick&) = delete;

    bool ok() const { return m_handle != nullptr; }
    void axis(int axis, Sint16 value) { SDL_JoystickSetVirtualAxis(m_handle, axis, value); }
    void button(int button, bool down) { SDL_JoystickSetVirtualButton(m_handle, button, down ? 1 : 0); }
    void hat(Uint8 value) { SDL_JoystickSetVirtualHat(m_handle, 0, value); }
    void detach()
    {
        if (!m_handle)
            return;
        const SDL_JoystickID instance = SDL_JoystickInstanceID(m_handle);
        SDL_JoystickClose(m_handle);
        m_handle = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == instance)
                SDL_JoystickDetachVirtual(i);
    }

private:
    int m_device = -1;
    SDL_Joystick* m_handle = nullptr;
};

class JoystickTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.isOpen());
        window.setJoystickThreshold(0.1f);
        drain();
    }

    // Every event the window has for us now.
    std::vector<Event> drain()
    {
        std::vector<Event> events;
        while (const auto event = window.pollEvent())
            events.push_back(*event);
        return events;
    }

    template <typename Kind>
    static std::vector<Kind> only(const std::vector<Event>& events)
    {
        std::vector<Kind> kinds;
        for (const Event& event : events)
            if (const auto* kind = event.getIf<Kind>())
                kinds.push_back(*kind);
        return kinds;
    }

    mivra::WindowBase window{mivra::VideoMode({64, 64}), "joystick test"};
};

TEST_F(JoystickTest, ConnectionGivesTheLowestFreeNumberAndDescribesTheDevice)
{
    EXPECT_FALSE(mivra::Joystick::isConnected(0));
    EXPECT_EQ(mivra::Joystick::getButtonCount(0), 0u);
    EXPECT_EQ(mivra::Joystick::getIdentification(0).name, mivra::String("No Joystick"));

    VirtualJoystick pad(2, 6, 0);
    ASSERT_TRUE(pad.ok()) << SDL_GetError();
    auto connected = only<Event::JoystickConnected>(drain());
    ASSERT_EQ(connected.size(), 1u);
    EXPECT_EQ(connected[0].joystickId, 0u);

    EXPECT_TRUE(mivra::Joystick::isConnected(0));
    EXPECT_FALSE(mivra::Joystick::isConnected(1));
    EXPECT_FALSE(mivra::Joystick::getIdentification(0).name.isEmpty());
    EXPECT_EQ(mivra::Joystick::getButtonCount(0), 6u);
    EXPECT_TRUE(mivra::Joystick::hasAxis(0, Axis::X));
    EXPECT_TRUE(mivra::Joystick::hasAxis(0, Axis::Y));
    for (Axis axis : {Axis::Z, Axis::R, Axis::U, Axis::V, Axis::PovX, Axis::PovY})
        EXPECT_FALSE(mivra::Joystick::hasAxis(0, axis));

    VirtualJoystick stick(6, 40, 1);
    ASSERT_TRUE(stick.ok());
    connected = only<Event::JoystickConnected>(drain());
    ASSERT_EQ(connected.size(), 1u);
    EXPECT_EQ(connected[0].joystickId, 1u);
    EXPECT_EQ(mivra::Joystick::getButtonCount(1), 32u); // at most 32 buttons
    for (unsigned int a = 0; a < mivra::Joystick::AxisCount; ++a)
        EXPECT_TRUE(mivra::Joystick::hasAxis(1, static_cast<Axis>(a))) << a;

    // The first leaves: its number frees, the second keeps its own, a newcomer takes number 0.
    pad.detach();
    auto events = drain();
    const auto disconnected = only<Event::JoystickDisconnected>(events);
    ASSERT_EQ(disconnected.size(), 1u);
    EXPECT_EQ(disconnected[0].joystickId, 0u);
    EXPECT_FALSE(mivra::Joystick::isConnected(0));
    EXPECT_TRUE(mivra::Joystick::isConnected(1));

    VirtualJoystick third(1, 1, 0);
    connected = only<Event::JoystickConnected>(drain());
    ASSERT_EQ(connected.size(), 1u);
    EXPECT_EQ(connected[0].joystickId, 0u);
    EXPECT_EQ(mivra::Joystick::getButtonCount(0), 1u);
}

TEST_F(JoystickTest, AxisMovesBelowTheThresholdAreNotReported)
{
    VirtualJoystick pad(2, 2, 0);
    ASSERT_TRUE(pad.ok());
    drain();

    pad.axis(0, 16384);
    auto moves = only<Event::JoystickMoved>(drain());
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].joystickId, 0u);
    EXPECT_EQ(moves[0].axis, Axis::X);
    EXPECT_NEAR(moves[0].position, 50.f, 0.01f);
    EXPECT_NEAR(mivra::Joystick::getAxisPosition(0, Axis::X), 50.f, 0.01f);

    // 20 steps of SDL's range are 0.06 %: under the 0.1 threshold, unseen; the state still follows.
    pad.axis(0, 16384 + 20);
    EXPECT_TRUE(only<Event::JoystickMoved>(drain()).empty());
    EXPECT_NEAR(mivra::Joystick::getAxisPosition(0, Axis::X), 50.06f, 0.01f);
    // Small moves add up against the last reported position.
    pad.axis(0, 16384 + 40);
    moves = only<Event::JoystickMoved>(drain());
    ASSERT_EQ(moves.size(), 1u);

    window.setJoystickThreshold(10.f);
    pad.axis(1, -3000); // about -9.2
    EXPECT_TRUE(only<Event::JoystickMoved>(drain()).empty());
    pad.axis(1, -32768);
    moves = only<Event::JoystickMoved>(drain());
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].axis, Axis::Y);
    EXPECT_EQ(moves[0].position, -100.f);

    pad.axis(1, 32767);
    moves = only<Event::JoystickMoved>(drain());
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].position, 100.f);
}

TEST_F(JoystickTest, ButtonsAndHatAreReported)
{
    VirtualJoystick pad(0, 4, 1);
    ASSERT_TRUE(pad.ok());
    drain();
    EXPECT_TRUE(mivra::Joystick::hasAxis(0, Axis::PovX));
    EXPECT_TRUE(mivra::Joystick::hasAxis(0, Axis::PovY));
    EXPECT_FALSE(mivra::Joystick::hasAxis(0, Axis::X));

    pad.button(3, true);
    auto pressed = only<Event::JoystickButtonPressed>(drain());
    ASSERT_EQ(pressed.size(), 1u);
    EXPECT_EQ(pressed[0].joystickId, 0u);
    EXPECT_EQ(pressed[0].button, 3u);
    EXPECT_TRUE(mivra::Joystick::isButtonPressed(0, 3));
    EXPECT_FALSE(mivra::Joystick::isButtonPressed(0, 2));
    EXPECT_FALSE(mivra::Joystick::isButtonPressed(0, 31));
    EXPECT_FALSE(mivra::Joystick::isButtonPressed(7, 3));

    pad.button(3, false);
    const auto released = only<Event::JoystickButtonReleased>(drain());
    ASSERT_EQ(released.size(), 1u);
    EXPECT_EQ(released[0].button, 3u);
    EXPECT_FALSE(mivra::Joystick::isButtonPressed(0, 3));

    pad.hat(SDL_HAT_LEFTUP);
    auto moves = only<Event::JoystickMoved>(drain());
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].axis, Axis::PovX);
    EXPECT_EQ(moves[0].position, -100.f);
    EXPECT_EQ(moves[1].axis, Axis::PovY);
    EXPECT_EQ(moves[1].position, -100.f);
    EXPECT_EQ(mivra::Joystick::getAxisPosition(0, Axis::PovX), -100.f);

    pad.hat(SDL_HAT_DOWN); // x back to the centre, y down
    moves = only<Event::JoystickMoved>(drain());
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].position, 0.f);
    EXPECT_EQ(moves[1].position, 100.f);
}

TEST_F(JoystickTest, QueriesOutsideTheRangeAnswerSafely)
{
    EXPECT_FALSE(mivra::Joystick::isConnected(8));
    EXPECT_FALSE(mivra::Joystick::isConnected(1000));
    EXPECT_EQ(mivra::Joystick::getAxisPosition(8, Axis::X), 0.f);
    EXPECT_FALSE(mivra::Joystick::hasAxis(8, Axis::X));
    EXPECT_FALSE(mivra::Joystick::isButtonPressed(8, 0));
    EXPECT_EQ(mivra::Joystick::getIdentification(8).vendorId, 0u);
}
// A device that SDL announces but that is gone by the time every slot is taken has no name: the
// report must still be one whole line, and standard error must stay usable.
TEST_F(JoystickTest, AnnouncedDeviceBeyondTheLastSlotIsReportedEvenWithoutAName)
{
    std::vector<std::unique_ptr<VirtualJoystick>> pads;
    for (unsigned int i = 0; i < mivra::Joystick::Count; ++i)
    {
        pads.push_back(std::make_unique<VirtualJoystick>(1, 1, 0));
        ASSERT_TRUE(pads.back()->ok()) << SDL_GetError();
    }
    ASSERT_EQ(only<Event::JoystickConnected>(drain()).size(), mivra::Joystick::Count);

    mivra::test::DiagnosticCapture diagnostics;
    SDL_Event added{};
    added.type = SDL_JOYDEVICEADDED;
    added.jdevice.which = 1000; // no such device index
    std::vector<Event> events;
    mivra::detail::translateSdlJoystickEvent(added, events);
    const std::vector<std::string> lines = diagnostics.take();

    EXPECT_TRUE(events.empty());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "mivra: ignoring joystick: device 1000: 8 joysticks are connected already");
    EXPECT_TRUE(std::cerr.good());
}

// Asking for joysticks before any window starts SDL's event queue: Ctrl+C and SIGTERM must keep
// ending the process instead of becoming a quit event.
TEST(JoystickWithoutWindow, LeavesTheTerminationSignalsAtTheirDefault)
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    (void)mivra::Joystick::isConnected(0);
    for (int signal : {SIGINT, SIGTERM})
    {
        struct sigaction action
        {};
        ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
    }
}
} // namespace
