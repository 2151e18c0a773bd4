#include "KeyNames.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
using Key = mivra::Keyboard::Key;
using Scan = mivra::Keyboard::Scan;

// The expected tables, built from runs of names the way one would describe the keyboard.
std::vector<std::string> expectedKeyNames()
{
    std::vector<std::string> names{"Unknown"};
    for (char c = 'A'; c <= 'Z'; ++c)
        names.emplace_back(1, c);
    for (int i = 0; i <= 9; ++i)
        names.push_back("Num" + std::to_string(i));
    for (const char* name :
         {"Escape",   "LControl",  "LShift",   "LAlt",     "LSystem",   "RControl", "RShift", "RAlt",
          "RSystem",  "Menu",      "LBracket", "RBracket", "Semicolon", "Comma",    "Period", "Apostrophe",
          "Slash",    "Backslash", "Grave",    "Equal",    "Hyphen",    "Space",    "Enter",  "Backspace",
          "Tab",      "PageUp",    "PageDown", "End",      "Home",      "Insert",   "Delete", "Add",
          "Subtract", "Multiply",  "Divide",   "Left",     "Right",     "Up",       "Down"})
        names.emplace_back(name);
    for (int i = 0; i <= 9; ++i)
        names.push_back("Numpad" + std::to_string(i));
    for (int i = 1; i <= 15; ++i)
        names.push_back("F" + std::to_string(i));
    names.emplace_back("Pause");
    return names;
}

std::vector<std::string> expectedScancodeNames()
{
    std::vector<std::string> names{"Unknown"};
    for (char c = 'A'; c <= 'Z'; ++c)
        names.emplace_back(1, c);
    for (int i = 1; i <= 9; ++i)
        names.push_back("Num" + std::to_string(i));
    names.emplace_back("Num0");
    for (const char* name : {"Enter", "Escape", "Backspace", "Tab", "Space", "Hyphen", "Equal", "LBracket", "RBracket",
                             "Backslash", "Semicolon", "Apostrophe", "Grave", "Comma", "Period", "Slash"})
        names.emplace_back(name);
    for (int i = 1; i <= 24; ++i)
        names.push_back("F" + std::to_string(i));
    for (const char* name :
         {"CapsLock",   "PrintScreen", "ScrollLock",  "Pause",        "Insert",         "Home",
          "PageUp",     "Delete",      "End",         "PageDown",     "Right",          "Left",
          "Down",       "Up",          "NumLock",     "NumpadDivide", "NumpadMultiply", "NumpadMinus",
          "NumpadPlus", "NumpadEqual", "NumpadEnter", "NumpadDecimal"})
        names.emplace_back(name);
    for (int i = 1; i <= 9; ++i)
        names.push_back("Numpad" + std::to_string(i));
    names.emplace_back("Numpad0");
    for (const char* name : {"NonUsBackslash",
                             "Application",
                             "Execute",
                             "ModeChange",
                             "Help",
                             "Menu",
                             "Select",
                             "Redo",
                             "Undo",
                             "Cut",
                             "Copy",
                             "Paste",
                             "VolumeMute",
                             "VolumeUp",
                             "VolumeDown",
                             "MediaPlayPause",
                             "MediaStop",
                             "MediaNextTrack",
                             "MediaPreviousTrack",
                             "LControl",
                             "LShift",
                             "LAlt",
                             "LSystem",
                             "RControl",
                             "RShift",
                             "RAlt",
                             "RSystem",
                             "Back",
                             "Forward",
                             "Refresh",
                             "Stop",
                             "Search",
                             "Favorites",
                             "HomePage",
                             "LaunchApplication1",
                             "LaunchApplication2",
                             "LaunchMail",
                             "LaunchMediaSelect"})
        names.emplace_back(name);
    return names;
}

template <typename Fn>
std::string thrownMessage(Fn fn)
{
    try
    {
        fn();
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
    return "(nothing thrown)";
}

TEST(KeyNames, KeyTableIsWholeAndInCodeOrder)
{
    const auto expected = expectedKeyNames();
    ASSERT_EQ(expected.size(), 102u);
    for (int value = -1; value <= 100; ++value)
        EXPECT_EQ(keyboard::keyName(static_cast<Key>(value)), "Key::" + expected[static_cast<std::size_t>(value + 1)])
            << "key code " << value;
    EXPECT_EQ(keyboard::keyName(Key::Num0), "Key::Num0");
    EXPECT_EQ(keyboard::keyName(Key::LBracket), "Key::LBracket");
    EXPECT_EQ(keyboard::keyName(Key::Pause), "Key::Pause");
}

TEST(KeyNames, ScancodeTableIsWholeAndInCodeOrder)
{
    const auto expected = expectedScancodeNames();
    ASSERT_EQ(expected.size(), 147u);
    for (int value = -1; value <= 145; ++value)
        EXPECT_EQ(keyboard::scancodeName(static_cast<Scan>(value)),
                  "Scan::" + expected[static_cast<std::size_t>(value + 1)])
            << "scancode " << value;
    // The two numberings differ around the digits.
    EXPECT_EQ(keyboard::scancodeName(static_cast<Scan>(26)), "Scan::Num1");
    EXPECT_EQ(keyboard::keyName(static_cast<Key>(26)), "Key::Num0");
    EXPECT_EQ(keyboard::scancodeName(static_cast<Scan>(35)), "Scan::Num0");
    EXPECT_EQ(keyboard::scancodeName(Scan::NonUsBackslash), "Scan::NonUsBackslash");
    EXPECT_EQ(keyboard::scancodeName(Scan::MediaPreviousTrack), "Scan::MediaPreviousTrack");
}

TEST(KeyNames, NamesAreDistinctWithinEachTable)
{
    std::set<std::string> keys;
    for (int value = -1; value <= 100; ++value)
        keys.insert(keyboard::keyName(static_cast<Key>(value)));
    EXPECT_EQ(keys.size(), 102u);
    std::set<std::string> scans;
    for (int value = -1; value <= 145; ++value)
        scans.insert(keyboard::scancodeName(static_cast<Scan>(value)));
    EXPECT_EQ(scans.size(), 147u);
}

TEST(KeyNames, ValuesOutsideTheTablesThrowWithTheirMessage)
{
    for (int value : {-2, 101, 1000, -1000})
        EXPECT_EQ(thrownMessage([&] { (void)keyboard::keyName(static_cast<Key>(value)); }), "invalid keyboard code")
            << value;
    for (int value : {-2, 146, 1000, -1000})
        EXPECT_EQ(thrownMessage([&] { (void)keyboard::scancodeName(static_cast<Scan>(value)); }),
                  "invalid keyboard scancode")
            << value;
}

// A keyboard layout under the test's control, counting how often it is asked.
struct FakeLayout
{
    std::map<Scan, Key> localized;
    std::map<Key, Scan> delocalized;
    std::set<Scan> undescribed;
    mutable int calls = 0;

    mivra::String getDescription(Scan scancode) const
    {
        ++calls;
        return undescribed.count(scancode) ? mivra::String() : mivra::String("key");
    }
    Key localize(Scan scancode) const
    {
        ++calls;
        const auto it = localized.find(scancode);
        return it == localized.end() ? Key::Unknown : it->second;
    }
    Scan delocalize(Key code) const
    {
        ++calls;
        const auto it = delocalized.find(code);
        return it == delocalized.end() ? Scan::Unknown : it->second;
    }
};

// Both key event kinds carry these two fields; the check reads nothing else.
struct KeyEvent
{
    Key code;
    Scan scancode;
};

FakeLayout qwerty()
{
    FakeLayout layout;
    layout.localized = {{Scan::A, Key::A}, {Scan::Q, Key::Q}, {Scan::Enter, Key::Enter}};
    layout.delocalized = {{Key::A, Scan::A}, {Key::Q, Scan::Q}, {Key::Enter, Scan::Enter}};
    return layout;
}

TEST(UnusualKeyEvent, KeysThatRoundTripAreUsual)
{
    const FakeLayout layout = qwerty();
    EXPECT_FALSE(keyboard::isUnusualKeyEvent(KeyEvent{Key::A, Scan::A}, layout));
    EXPECT_FALSE(keyboard::isUnusualKeyEvent(KeyEvent{Key::Enter, Scan::Enter}, layout));
}

TEST(UnusualKeyEvent, UnknownCodeOrScancodeIsUnusualWithoutAskingTheLayout)
{
    const FakeLayout layout = qwerty();
    EXPECT_TRUE(keyboard::isUnusualKeyEvent(KeyEvent{Key::A, Scan::Unknown}, layout));
    EXPECT_TRUE(keyboard::isUnusualKeyEvent(KeyEvent{Key::Unknown, Scan::A}, layout));
    EXPECT_TRUE(keyboard::isUnusualKeyEvent(KeyEvent{Key::Unknown, Scan::Unknown}, layout));
    EXPECT_EQ(layout.calls, 0);
}

TEST(UnusualKeyEvent, EmptyDescriptionIsUnusualEvenWhenTheMappingAgrees)
{
    FakeLayout layout = qwerty();
    layout.undescribed.insert(Scan::A);
    EXPECT_TRUE(keyboard::isUnusualKeyEvent(KeyEvent{Key::A, Scan::A}, layout));
    EXPECT_FALSE(keyboard::isUnusualKeyEvent(KeyEvent{Key::Q, Scan::Q}, layout));
}

TEST(UnusualKeyEvent, AnotherLayoutMakesTheEventUnusual)
{
    // The physical A key types Q (an AZERTY-like layout).
    FakeLayout layout = qwerty();
    layout.localized[Scan::A] = Key::Q;
    EXPECT_TRUE(keyboard::isUnusualKeyEvent(KeyEvent{Key::A, Scan::A}, layout));

    // localize agrees but the key code is typed by another physical key.
    FakeLayout oneWay = qwerty();
    oneWay.delocalized[Key::A] = Scan::Q;
    EXPECT_TRUE(keyboard::isUnusualKeyEvent(KeyEvent{Key::A, Scan::A}, oneWay));

    // A code and scancode that disagree with each other.
    EXPECT_TRUE(keyboard::isUnusualKeyEvent(KeyEvent{Key::Q, Scan::A}, qwerty()));
}
} // namespace
