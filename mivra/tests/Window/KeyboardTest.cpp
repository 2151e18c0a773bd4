#include <mivra/Window/Keyboard.hpp>

#include "detail/SdlKeyboardMap.hpp"

#include <gtest/gtest.h>

#include <set>

using mivra::Keyboard;
using Key = Keyboard::Key;
using Scan = Keyboard::Scan;

namespace
{
int value(Key key)
{
    return static_cast<int>(key);
}
int value(Scan scan)
{
    return static_cast<int>(scan);
}
std::string description(Scan scan)
{
    return Keyboard::getDescription(scan).toUtf8();
}
} // namespace

TEST(KeyboardNumbering, KeyCodesAtTheirEndsAndBoundaries)
{
    EXPECT_EQ(value(Key::Unknown), -1);
    EXPECT_EQ(value(Key::A), 0);
    EXPECT_EQ(value(Key::Z), 25);
    EXPECT_EQ(value(Key::Num0), 26);
    EXPECT_EQ(value(Key::Num9), 35);
    EXPECT_EQ(value(Key::Escape), 36);
    EXPECT_EQ(value(Key::LControl), 37);
    EXPECT_EQ(value(Key::RSystem), 44);
    EXPECT_EQ(value(Key::Menu), 45);
    EXPECT_EQ(value(Key::Hyphen), 56);
    EXPECT_EQ(value(Key::Enter), 58);
    EXPECT_EQ(value(Key::Divide), 70);
    EXPECT_EQ(value(Key::Down), 74);
    EXPECT_EQ(value(Key::Numpad0), 75);
    EXPECT_EQ(value(Key::Numpad9), 84);
    EXPECT_EQ(value(Key::F1), 85);
    EXPECT_EQ(value(Key::F15), 99);
    EXPECT_EQ(value(Key::Pause), 100);
    EXPECT_EQ(Keyboard::KeyCount, 101);
}

TEST(KeyboardNumbering, ScancodesAtTheirEndsAndBoundaries)
{
    EXPECT_EQ(value(Scan::Unknown), -1);
    EXPECT_EQ(value(Scan::A), 0);
    EXPECT_EQ(value(Scan::Num1), 26);
    EXPECT_EQ(value(Scan::Num0), 35);
    EXPECT_EQ(value(Scan::Enter), 36);
    EXPECT_EQ(value(Scan::Slash), 51);
    EXPECT_EQ(value(Scan::F1), 52);
    EXPECT_EQ(value(Scan::F24), 75);
    EXPECT_EQ(value(Scan::CapsLock), 76);
    EXPECT_EQ(value(Scan::NumLock), 90);
    EXPECT_EQ(value(Scan::NumpadDecimal), 97);
    EXPECT_EQ(value(Scan::Numpad1), 98);
    EXPECT_EQ(value(Scan::Numpad0), 107);
    EXPECT_EQ(value(Scan::NonUsBackslash), 108);
    EXPECT_EQ(value(Scan::MediaPreviousTrack), 126);
    EXPECT_EQ(value(Scan::LControl), 127);
    EXPECT_EQ(value(Scan::RSystem), 134);
    EXPECT_EQ(value(Scan::Back), 135);
    EXPECT_EQ(value(Scan::LaunchMediaSelect), 145);
    EXPECT_EQ(Keyboard::ScanCount, 146);
}

TEST(KeyboardPlatformMap, EveryScancodeHasItsOwnSdlScancodeAndMapsBack)
{
    std::set<int> seen;
    for (int i = 0; i < Keyboard::ScanCount; ++i)
    {
        const auto scan = static_cast<Scan>(i);
        const int sdl = mivra::detail::sdlFromScan(scan);
        EXPECT_NE(sdl, 0) << "scancode " << i;
        EXPECT_TRUE(seen.insert(sdl).second) << "scancode " << i << " shares SDL scancode " << sdl;
        EXPECT_EQ(mivra::detail::scanFromSdl(sdl), scan) << "scancode " << i;
    }
    EXPECT_EQ(mivra::detail::sdlFromScan(Scan::Unknown), 0);
    EXPECT_EQ(mivra::detail::scanFromSdl(0), Scan::Unknown);
    EXPECT_EQ(mivra::detail::scanFromSdl(-5), Scan::Unknown);
    EXPECT_EQ(mivra::detail::scanFromSdl(100000), Scan::Unknown);
}

TEST(KeyboardPlatformMap, EveryKeyCodeHasItsOwnSdlKeycodeAndMapsBack)
{
    std::set<int> seen;
    for (int i = 0; i < Keyboard::KeyCount; ++i)
    {
        const auto key = static_cast<Key>(i);
        const int sdl = mivra::detail::sdlFromKey(key);
        EXPECT_NE(sdl, 0) << "key " << i;
        EXPECT_TRUE(seen.insert(sdl).second) << "key " << i << " shares SDL keycode " << sdl;
        EXPECT_EQ(mivra::detail::keyFromSdl(sdl), key) << "key " << i;
    }
    EXPECT_EQ(mivra::detail::keyFromSdl('a'), Key::A);
    EXPECT_EQ(mivra::detail::keyFromSdl('0'), Key::Num0);
    EXPECT_EQ(mivra::detail::keyFromSdl('\r'), Key::Enter);
    EXPECT_EQ(mivra::detail::keyFromSdl('&'), Key::Unknown);
}

TEST(KeyboardDescription, FixedNamesForKeysThatTypeNoCharacter)
{
    EXPECT_EQ(description(Scan::Enter), "Enter");
    EXPECT_EQ(description(Scan::Escape), "Escape");
    EXPECT_EQ(description(Scan::Backspace), "Backspace");
    EXPECT_EQ(description(Scan::Tab), "Tab");
    EXPECT_EQ(description(Scan::Space), "Space");
    EXPECT_EQ(description(Scan::LShift), "Left Shift");
    EXPECT_EQ(description(Scan::RControl), "Right Control");
    EXPECT_EQ(description(Scan::LSystem), "Left System");
    EXPECT_EQ(description(Scan::F1), "F1");
    EXPECT_EQ(description(Scan::F24), "F24");
    EXPECT_EQ(description(Scan::Numpad1), "Numpad 1");
    EXPECT_EQ(description(Scan::Numpad0), "Numpad 0");
    EXPECT_EQ(description(Scan::NumpadEnter), "Numpad Enter");
    EXPECT_EQ(description(Scan::Up), "Up");
    EXPECT_EQ(description(Scan::PageDown), "Page Down");
    EXPECT_EQ(description(Scan::LaunchMediaSelect), "Launch Media Select");
}

TEST(KeyboardDescription, CharacterKeysAreNamedAsTheLayoutTypesThem)
{
    // The test runs with SDL's built-in US layout.
    EXPECT_EQ(description(Scan::A), "A");
    EXPECT_EQ(description(Scan::Q), "Q");
    EXPECT_EQ(description(Scan::Z), "Z");
    EXPECT_EQ(description(Scan::Num1), "1");
    EXPECT_EQ(description(Scan::Num0), "0");
    EXPECT_EQ(description(Scan::Hyphen), "-");
    EXPECT_EQ(description(Scan::Slash), "/");
    EXPECT_EQ(description(Scan::Apostrophe), "'");
}

TEST(KeyboardDescription, EveryScancodeIsNamedAndUnknownIsNot)
{
    EXPECT_TRUE(Keyboard::getDescription(Scan::Unknown).isEmpty());
    for (int i = 0; i < Keyboard::ScanCount; ++i)
        EXPECT_FALSE(Keyboard::getDescription(static_cast<Scan>(i)).isEmpty()) << "scancode " << i;
}

TEST(KeyboardDescription, LayoutCharactersAreUpperCased)
{
    using mivra::detail::characterKeyName;
    EXPECT_EQ(characterKeyName('q').toUtf8(), "Q");
    EXPECT_EQ(characterKeyName(0xE9).toUtf8(), "\xC3\x89"); // é -> É
    EXPECT_EQ(characterKeyName('[').toUtf8(), "[");
    EXPECT_TRUE(characterKeyName('\r').isEmpty());
    EXPECT_TRUE(characterKeyName(' ').isEmpty());
    EXPECT_TRUE(characterKeyName(0x4000003A).isEmpty()); // F1, a non-character key code
}

TEST(KeyboardLayout, LocalizeAndDelocalizeUnderTheUsLayout)
{
    EXPECT_EQ(Keyboard::localize(Scan::A), Key::A);
    EXPECT_EQ(Keyboard::localize(Scan::Num0), Key::Num0);
    EXPECT_EQ(Keyboard::localize(Scan::Num1), Key::Num1);
    EXPECT_EQ(Keyboard::localize(Scan::Numpad1), Key::Numpad1);
    EXPECT_EQ(Keyboard::localize(Scan::LControl), Key::LControl);
    EXPECT_EQ(Keyboard::localize(Scan::NumpadPlus), Key::Add);
    EXPECT_EQ(Keyboard::localize(Scan::Unknown), Key::Unknown);
    EXPECT_EQ(Keyboard::delocalize(Key::Enter), Scan::Enter);
    EXPECT_EQ(Keyboard::delocalize(Key::Num0), Scan::Num0);
    EXPECT_EQ(Keyboard::delocalize(Key::Grave), Scan::Grave);
    EXPECT_EQ(Keyboard::delocalize(Key::Unknown), Scan::Unknown);

    // Every key code is typed by some key of a US keyboard and survives the round trip.
    for (int i = 0; i < Keyboard::KeyCount; ++i)
    {
        const auto key = static_cast<Key>(i);
        EXPECT_EQ(Keyboard::localize(Keyboard::delocalize(key)), key) << "key " << i;
    }
}

TEST(KeyboardLayout, NoKeyIsPressedWithoutEvents)
{
    EXPECT_FALSE(Keyboard::isKeyPressed(Key::A));
    EXPECT_FALSE(Keyboard::isKeyPressed(Scan::Enter));
    EXPECT_FALSE(Keyboard::isKeyPressed(Key::Unknown));
    EXPECT_FALSE(Keyboard::isKeyPressed(Scan::Unknown));
}
