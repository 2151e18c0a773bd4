// The backend table and the choice made from it.

#include "detail/NullPlatform.hpp"
#include "detail/SdlPlatform.hpp"
#include "detail/WindowBackend.hpp"

#include <mivra/Window/Keyboard.hpp>
#include <mivra/Window/Mouse.hpp>

#include <gtest/gtest.h>

#include "../Support/DiagnosticCapture.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

// Each case in a process of its own (death-test style), where nothing is connected yet and the
// environment is the case's: the display server is chosen once per process.
TEST(WindowBackendChoiceDeathTest, TheDisplayServerFollowsTheEnvironment)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto chosenWith = [](const char* videoDriver, const char* waylandDisplay) {
        if (videoDriver)
            setenv("SDL_VIDEODRIVER", videoDriver, 1);
        else
            unsetenv("SDL_VIDEODRIVER");
        if (waylandDisplay)
            setenv("WAYLAND_DISPLAY", waylandDisplay, 1);
        else
            unsetenv("WAYLAND_DISPLAY");
        mivra::test::DiagnosticCapture diagnostics;
        const auto* entry = chooseBackend("");
        for (const std::string& line : diagnostics.take())
            std::fprintf(stderr, "%s\n", line.c_str());
        std::fprintf(stderr, "chosen: %s\n", entry ? std::string(entry->id).c_str() : "none");
        std::fflush(stderr);
        std::_Exit(0);
    };
    // SDL_VIDEODRIVER overrides; a driver SDL does not know is said, with the ones it knows,
    // and the choice goes on without it.
    // (The death test's message is all the child wrote on standard error.)
    EXPECT_EXIT(chosenWith("dummy", nullptr), testing::ExitedWithCode(0), "^chosen: sdl\n");
    EXPECT_EXIT(chosenWith("bogus", nullptr), testing::ExitedWithCode(0),
                "^mivra: unknown video driver, choosing one: SDL_VIDEODRIVER=bogus: the known ones are "
                "x11.*wayland.*dummy.*\nchosen: x11\n");
    // A WAYLAND_DISPLAY where no compositor answers is no Wayland: X11 serves.
    EXPECT_EXIT(chosenWith(nullptr, "mivra-no-such-compositor"), testing::ExitedWithCode(0), "^chosen: x11\n");
    EXPECT_EXIT(chosenWith(nullptr, "/nonexistent/wayland-9"), testing::ExitedWithCode(0), "^chosen: x11\n");
    EXPECT_EXIT(chosenWith(nullptr, nullptr), testing::ExitedWithCode(0), "^chosen: x11\n");
}

TEST(WindowBackendChoice, ServicesAnswerFromTheChosenPlatform)
{
    setenv("MIVRA_WINDOW_BACKEND", "null", 1);
    auto& chosen = mivra::detail::platform();
    EXPECT_NE(dynamic_cast<mivra::detail::NullPlatform*>(&chosen), nullptr);
    // The null platform knows no layout, even where SDL's dummy driver has one.
    EXPECT_EQ(mivra::Keyboard::localize(mivra::Keyboard::Scan::A), mivra::Keyboard::Key::Unknown);
    mivra::Mouse::setPosition({12, 34});
    EXPECT_EQ(mivra::Mouse::getPosition(), mivra::Vector2i(12, 34));
    unsetenv("MIVRA_WINDOW_BACKEND");

    EXPECT_NE(dynamic_cast<mivra::detail::SdlPlatform*>(&mivra::detail::platform()), nullptr);
    EXPECT_EQ(mivra::Keyboard::localize(mivra::Keyboard::Scan::A), mivra::Keyboard::Key::A);
}
