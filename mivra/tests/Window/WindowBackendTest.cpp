// The backend table and the choice made from it.

#include "detail/NullPlatform.hpp"
#include "detail/SdlPlatform.hpp"
#include "detail/WindowBackend.hpp"

#include <mivra/Window/Keyboard.hpp>
#include <mivra/Window/Mouse.hpp>

#include <gtest/gtest.h>

#include <cstdlib>

using mivra::detail::chooseBackend;

TEST(WindowBackendChoice, SdlByDefaultNullOnlyWhenNamed)
{
    ASSERT_NE(chooseBackend(""), nullptr);
    EXPECT_EQ(chooseBackend("")->id, "sdl");
    EXPECT_EQ(chooseBackend("sdl")->id, "sdl");
    EXPECT_EQ(chooseBackend("null")->id, "null");
    // A name that is no backend's is the default, never the null backend.
    EXPECT_EQ(chooseBackend("nothing")->id, "sdl");
    for (const auto& entry : mivra::detail::backendTable())
        EXPECT_EQ(entry.onRequestOnly, entry.id == "null") << entry.id;
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
