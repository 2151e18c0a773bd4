// The backend table and the choice made from it.

#include "detail/NullPlatform.hpp"
#include "detail/SdlPlatform.hpp"
#include "detail/SdlVideo.hpp"
#include "detail/WindowBackend.hpp"

#include <mivra/Window/Keyboard.hpp>
#include <mivra/Window/Mouse.hpp>

#include <gtest/gtest.h>

#include "../Support/DiagnosticCapture.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using mivra::detail::chooseBackend;

TEST(WindowBackendChoice, SdlByDefaultNullOnlyWhenNamed)
{
    // This test runs with SDL_VIDEODRIVER=dummy: SDL's own choice serves.
    ASSERT_NE(chooseBackend(""), nullptr);
    EXPECT_EQ(chooseBackend("")->id, "sdl");
    EXPECT_EQ(chooseBackend("sdl")->id, "sdl");
    EXPECT_EQ(chooseBackend("null")->id, "null");
    for (const auto& entry : mivra::detail::backendTable())
        EXPECT_EQ(entry.onRequestOnly, entry.id == "null") << entry.id;
    EXPECT_EQ(mivra::detail::knownBackends(), "sdl, wayland, x11, null");
}

TEST(WindowBackendChoice, AnUnknownNameIsSaidOnceWithTheKnownOnes)
{
    mivra::test::DiagnosticCapture diagnostics;
    // A name that is no backend's is the default, never the null backend, and not in silence.
    ASSERT_NE(chooseBackend("nothing"), nullptr);
    EXPECT_EQ(chooseBackend("nothing")->id, "sdl");
    const std::vector<std::string> lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "mivra: unknown window backend, choosing one: MIVRA_WINDOW_BACKEND=nothing: the known ones "
                        "are sdl, wayland, x11, null");
    EXPECT_EQ(chooseBackend("")->id, "sdl");
    EXPECT_TRUE(diagnostics.take().empty());
}

// A listening socket that never answers: a frozen compositor (the kernel accepts for it).
std::string frozenCompositorSocket()
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = testing::TempDir() + "mivra-frozen-" + std::to_string(getpid());
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    unlink(path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0)
        return "";
    return path;
}

// Each case in a process of its own (death-test style), where nothing is connected yet and the
// environment is the case's: the backend is chosen once per process, from the environment as it
// is when the first display connection is made.
TEST(WindowBackendChoiceDeathTest, TheDisplayServerFollowsTheEnvironment)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case
    {
        const char* videoDriver;
        const char* waylandDisplay;
        const char* windowBackend;
        bool contextFirst; // SDL's video brought up before any window, as a GL context does
        const char* expected;
    };
    // WAYLAND_DISPLAY of a case: a frozen compositor's socket, made in the case's process.
    static constexpr const char* frozen = "frozen";
    const Case cases[] = {
        // SDL_VIDEODRIVER overrides; a driver SDL does not know is said, with the ones it knows,
        // and the choice goes on without it.
        {"dummy", nullptr, nullptr, false, "^chosen: sdl\n$"},
        {"bogus", nullptr, nullptr, false,
         "^chosen: x11\nmivra: unknown video driver, choosing one: SDL_VIDEODRIVER=bogus: the known ones are "
         "x11.*wayland.*dummy[^\n]*\n$"},
        // A WAYLAND_DISPLAY where no compositor answers is no Wayland: X11 serves.
        {nullptr, "mivra-no-such-compositor", nullptr, false, "^chosen: x11\n$"},
        {nullptr, "/nonexistent/wayland-9", nullptr, false, "^chosen: x11\n$"},
        {nullptr, nullptr, nullptr, false, "^chosen: x11\n$"},
        // One that accepts and never answers costs the probe's deadline and one line.
        {nullptr, frozen, nullptr, false,
         "^chosen: x11\nmivra: no answer from the Wayland compositor, trying the next backend: "
         "/[^:]*mivra-frozen-[0-9]+: "
         "it accepted the connection but did not answer within 2000 ms\n$"},
        // MIVRA_WINDOW_BACKEND is honoured even where SDL's video comes up first, on the display
        // server it names (SDL's dummy driver would raise no complaint about a missing X server).
        {"dummy", nullptr, "x11", true, "^chosen: x11\nmivra: cannot open the display"},
        {"dummy", nullptr, "null", false, "^chosen: null\n$"},
        {"dummy", nullptr, "nothing", false,
         "^chosen: sdl\nmivra: unknown window backend, choosing one: MIVRA_WINDOW_BACKEND=nothing"},
    };
    auto set = [](const char* name, const char* value) {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    };
    for (const Case& c : cases)
    {
        auto chosenWith = [&] {
            set("SDL_VIDEODRIVER", c.videoDriver);
            const bool isFrozen = c.waylandDisplay == frozen;
            const std::string socketPath = isFrozen ? frozenCompositorSocket() : "";
            set("WAYLAND_DISPLAY", isFrozen ? socketPath.c_str() : c.waylandDisplay);
            set("MIVRA_WINDOW_BACKEND", c.windowBackend);
            unsetenv("DISPLAY");
            mivra::test::DiagnosticCapture diagnostics;
            if (c.contextFirst)
                mivra::detail::ensureSdlVideo();
            const auto* entry = mivra::detail::chosenBackend();
            std::fprintf(stderr, "chosen: %s\n", entry ? std::string(entry->id).c_str() : "none");
            for (const std::string& line : diagnostics.take())
                std::fprintf(stderr, "%s\n", line.c_str());
            std::fflush(stderr);
            if (isFrozen)
                unlink(socketPath.c_str());
            std::_Exit(0);
        };
        // (The death test's message is all the child wrote on standard error.)
        EXPECT_EXIT(chosenWith(), testing::ExitedWithCode(0), c.expected)
            << (c.waylandDisplay ? c.waylandDisplay : "") << " " << (c.windowBackend ? c.windowBackend : "");
    }
}

TEST(WindowBackendChoice, ServicesAnswerFromTheChosenPlatform)
{
    mivra::detail::forceBackend("null");
    auto& chosen = mivra::detail::platform();
    EXPECT_NE(dynamic_cast<mivra::detail::NullPlatform*>(&chosen), nullptr);
    // The null platform knows no layout, even where SDL's dummy driver has one.
    EXPECT_EQ(mivra::Keyboard::localize(mivra::Keyboard::Scan::A), mivra::Keyboard::Key::Unknown);
    mivra::Mouse::setPosition({12, 34});
    EXPECT_EQ(mivra::Mouse::getPosition(), mivra::Vector2i(12, 34));
    mivra::detail::forceBackend("");

    EXPECT_NE(dynamic_cast<mivra::detail::SdlPlatform*>(&mivra::detail::platform()), nullptr);
    EXPECT_EQ(mivra::Keyboard::localize(mivra::Keyboard::Scan::A), mivra::Keyboard::Key::A);
}
