// Windows on a real X server: a private Xvfb started by the test itself, driven with xdotool.

#include <mivra/Window/Keyboard.hpp>
#include <mivra/Window/Mouse.hpp>
#include <mivra/Window/Window.hpp>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using mivra::Event;
using mivra::Vector2i;

namespace mivra::test
{
bool sendDeleteWindowRequest(std::uint64_t windowId);
} // namespace mivra::test

namespace
{
// Xvfb on the first free display number, which it reports through -displayfd.
class PrivateXServer
{
public:
    PrivateXServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0)
        {
            close(fds[0]);
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
            const std::string fd = std::to_string(fds[1]);
            // -noreset: by default the server resets when its last client leaves, and a client that
            // connects meanwhile is refused (xdotool before the first window is such a last client).
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, 30000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
        {
            m_display = ":" + number;
            setenv("DISPLAY", m_display.c_str(), 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
        }
    }
    ~PrivateXServer()
    {
        if (m_pid > 0)
        {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    [[nodiscard]] bool isRunning() const { return !m_display.empty(); }

private:
    pid_t m_pid{-1};
    std::string m_display;
};

// One server per test process, started before the library first talks to X and stopped after
// the library's own process-wide connections are gone (statics end in reverse order).
const PrivateXServer& server()
{
    static const PrivateXServer instance;
    return instance;
}

bool xdotool(const std::string& arguments)
{
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

// Polls until an event of kind T arrives (other events are skipped) or 10 s pass.
template <typename T>
std::optional<T> waitFor(mivra::WindowBase& window)
{
    const mivra::Clock clock;
    while (clock.getElapsedTime() < mivra::seconds(10))
    {
        while (const auto event = window.pollEvent())
            if (const auto* wanted = event->getIf<T>())
                return *wanted;
        mivra::sleep(mivra::milliseconds(5));
    }
    return std::nullopt;
}

void drain(mivra::WindowBase& window, mivra::Time during)
{
    const mivra::Clock clock;
    while (clock.getElapsedTime() < during)
    {
        while (window.pollEvent())
        {
        }
        mivra::sleep(mivra::milliseconds(5));
    }
}

class X11Window : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server().isRunning()) << "Xvfb did not start";
        window.create(mivra::VideoMode({320, 240}), "x11 test", mivra::Style::Titlebar | mivra::Style::Close);
        ASSERT_TRUE(window.isOpen());
        // Let the window map and take the focus.
        drain(window, mivra::milliseconds(300));
    }

    mivra::WindowBase window;
};
} // namespace

TEST_F(X11Window, RelativeMouseMotionArrivesAsRawMotion)
{
    ASSERT_TRUE(xdotool("mousemove_relative 5 0"));
    auto raw = waitFor<Event::MouseMovedRaw>(window);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->delta, Vector2i(5, 0));

    ASSERT_TRUE(xdotool("mousemove_relative -- -3 7"));
    raw = waitFor<Event::MouseMovedRaw>(window);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->delta, Vector2i(-3, 7));
}

TEST(X11WindowUnderPointer, OpeningUnderTheRestingPointerReportsNoMotion)
{
    ASSERT_TRUE(server().isRunning());
    // The pointer rests at the screen's centre, inside the centred window.
    ASSERT_TRUE(xdotool("mousemove 640 512"));
    mivra::WindowBase window(mivra::VideoMode({320, 240}), "under the pointer");
    ASSERT_TRUE(window.isOpen());
    const mivra::Clock clock;
    bool entered = false;
    while (clock.getElapsedTime() < mivra::milliseconds(600))
    {
        while (const auto event = window.pollEvent())
        {
            EXPECT_FALSE(event->is<Event::MouseMoved>()) << "at " << event->getIf<Event::MouseMoved>()->position.x;
            entered = entered || event->is<Event::MouseEntered>();
        }
        mivra::sleep(mivra::milliseconds(5));
    }
    EXPECT_TRUE(entered);

    const std::string id = std::to_string(window.getNativeHandle());
    ASSERT_TRUE(xdotool("mousemove --window " + id + " 10 20"));
    const auto moved = waitFor<Event::MouseMoved>(window);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->position, Vector2i(10, 20));
}

TEST_F(X11Window, AbsoluteMotionGivesWindowPositions)
{
    const std::string id = std::to_string(window.getNativeHandle());
    ASSERT_NE(window.getNativeHandle(), 0u);
    ASSERT_TRUE(xdotool("mousemove --window " + id + " 10 20"));
    std::optional<Event::MouseMoved> moved;
    // Skip motion reported on the way in until the pointer rests at the target.
    for (int i = 0; i < 5 && (!moved || moved->position != Vector2i(10, 20)); ++i)
        moved = waitFor<Event::MouseMoved>(window);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->position, Vector2i(10, 20));
    EXPECT_EQ(mivra::Mouse::getPosition(window), Vector2i(10, 20));
    EXPECT_EQ(mivra::Mouse::getPosition(), Vector2i(10, 20) + window.getPosition());
}

TEST_F(X11Window, ButtonsWheelAndDesktopMode)
{
    const std::string id = std::to_string(window.getNativeHandle());
    ASSERT_TRUE(xdotool("mousemove --window " + id + " 40 30"));
    ASSERT_TRUE(waitFor<Event::MouseMoved>(window));

    ASSERT_TRUE(xdotool("mousedown 1"));
    const auto pressed = waitFor<Event::MouseButtonPressed>(window);
    ASSERT_TRUE(pressed);
    EXPECT_EQ(pressed->button, mivra::Mouse::Button::Left);
    EXPECT_EQ(pressed->position, Vector2i(40, 30));
    EXPECT_TRUE(mivra::Mouse::isButtonPressed(mivra::Mouse::Button::Left));
    EXPECT_FALSE(mivra::Mouse::isButtonPressed(mivra::Mouse::Button::Right));
    ASSERT_TRUE(xdotool("mouseup 1"));
    const auto released = waitFor<Event::MouseButtonReleased>(window);
    ASSERT_TRUE(released);
    EXPECT_EQ(released->button, mivra::Mouse::Button::Left);
    EXPECT_FALSE(mivra::Mouse::isButtonPressed(mivra::Mouse::Button::Left));

    ASSERT_TRUE(xdotool("click 3"));
    const auto right = waitFor<Event::MouseButtonPressed>(window);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->button, mivra::Mouse::Button::Right);

    // X11 reports the wheel as buttons 4 (up) and 5 (down).
    ASSERT_TRUE(xdotool("click 4"));
    auto wheel = waitFor<Event::MouseWheelScrolled>(window);
    ASSERT_TRUE(wheel);
    EXPECT_EQ(wheel->wheel, mivra::Mouse::Wheel::Vertical);
    EXPECT_EQ(wheel->delta, 1.f);
    EXPECT_EQ(wheel->position, Vector2i(40, 30));
    ASSERT_TRUE(xdotool("click 5"));
    wheel = waitFor<Event::MouseWheelScrolled>(window);
    ASSERT_TRUE(wheel);
    EXPECT_EQ(wheel->delta, -1.f);

    EXPECT_EQ(mivra::VideoMode::getDesktopMode().size, mivra::Vector2u(1280, 1024));
}

TEST_F(X11Window, KeysArriveWithCodesScancodesAndLiveState)
{
    ASSERT_TRUE(xdotool("keydown a"));
    auto pressed = waitFor<Event::KeyPressed>(window);
    ASSERT_TRUE(pressed);
    EXPECT_EQ(pressed->code, mivra::Keyboard::Key::A);
    EXPECT_EQ(pressed->scancode, mivra::Keyboard::Scan::A);
    EXPECT_TRUE(mivra::Keyboard::isKeyPressed(mivra::Keyboard::Key::A));
    EXPECT_TRUE(mivra::Keyboard::isKeyPressed(mivra::Keyboard::Scan::A));

    ASSERT_TRUE(xdotool("keyup a"));
    const auto released = waitFor<Event::KeyReleased>(window);
    ASSERT_TRUE(released);
    EXPECT_EQ(released->scancode, mivra::Keyboard::Scan::A);
    EXPECT_FALSE(mivra::Keyboard::isKeyPressed(mivra::Keyboard::Scan::A));

    ASSERT_TRUE(xdotool("key Return"));
    pressed = waitFor<Event::KeyPressed>(window);
    ASSERT_TRUE(pressed);
    EXPECT_EQ(pressed->code, mivra::Keyboard::Key::Enter);
    EXPECT_EQ(pressed->scancode, mivra::Keyboard::Scan::Enter);
    EXPECT_EQ(mivra::Keyboard::getDescription(pressed->scancode).toUtf8(), "Enter");

    ASSERT_TRUE(xdotool("type q"));
    const auto text = waitFor<Event::TextEntered>(window);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->unicode, U'q');
}

TEST_F(X11Window, TheServersLayoutNamesAndMapsKeys)
{
    using mivra::Keyboard;
    EXPECT_EQ(Keyboard::getDescription(Keyboard::Scan::Q).toUtf8(), "Q");
    EXPECT_EQ(Keyboard::getDescription(Keyboard::Scan::Num1).toUtf8(), "1");
    EXPECT_EQ(Keyboard::getDescription(Keyboard::Scan::LShift).toUtf8(), "Left Shift");
    for (auto key : {Keyboard::Key::A, Keyboard::Key::Num0, Keyboard::Key::Enter, Keyboard::Key::LShift,
                     Keyboard::Key::F1, Keyboard::Key::Numpad5, Keyboard::Key::Slash, Keyboard::Key::Up})
        EXPECT_EQ(Keyboard::localize(Keyboard::delocalize(key)), key) << static_cast<int>(key);
}

TEST_F(X11Window, DeleteWindowMessageGivesClosed)
{
    ASSERT_TRUE(mivra::test::sendDeleteWindowRequest(window.getNativeHandle()));

    ASSERT_TRUE(waitFor<Event::Closed>(window));
    window.close();
    EXPECT_FALSE(window.isOpen());
    EXPECT_FALSE(window.pollEvent());
}

TEST(X11GlWindow, StencilRequestAndCompatibilityProfile)
{
    ASSERT_TRUE(server().isRunning());
    mivra::ContextSettings request;
    request.stencilBits = 8;
    mivra::Window window(mivra::VideoMode({100, 100}), "gl", mivra::Style::Titlebar | mivra::Style::Close,
                         mivra::State::Windowed, request);
    ASSERT_TRUE(window.isOpen());
    EXPECT_EQ(window.getSettings().stencilBits, 8u);
    EXPECT_EQ(window.getSettings().attributeFlags & mivra::ContextSettings::Core, 0u);
    EXPECT_GE(window.getSettings().majorVersion * 10 + window.getSettings().minorVersion, 21u);
    window.display();
}
