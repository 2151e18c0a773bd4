#include "KeyNames.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
using Key = mivra::Keyboard::Key;
using Scan = mivra::Keyboard::Scan;

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

// The library's own list of its enumerators, spelled as its interface spells them: the program's
// tables are checked against it, not against a copy of themselves.
struct Enumerator
{
    int value;
    std::string name;
};

struct LibraryLists
{
    std::vector<Enumerator> keys;
    std::vector<Enumerator> scancodes;
};

LibraryLists libraryLists()
{
    LibraryLists lists;
#define MIVRA_TEST_KEY(name, ...) lists.keys.push_back({static_cast<int>(Key::name), #name});
#define MIVRA_TEST_SCAN(name, ...) lists.scancodes.push_back({static_cast<int>(Scan::name), #name});
    MIVRA_KEYBOARD_KEYS(MIVRA_TEST_KEY)
    MIVRA_KEYBOARD_SCANS(MIVRA_TEST_SCAN)
#undef MIVRA_TEST_KEY
#undef MIVRA_TEST_SCAN
    return lists;
}

// Each value listed is named "<prefix><its enumerator>", and Unknown too.
template <typename Enum>
void expectNamedAsListed(const std::vector<Enumerator>& listed, std::string (*name)(Enum), const std::string& prefix)
{
    for (const Enumerator& value : listed)
        EXPECT_EQ(name(static_cast<Enum>(value.value)), prefix + value.name) << prefix << value.value;
    EXPECT_EQ(name(Enum::Unknown), prefix + "Unknown");
}

// "Key::" or "Scan::", then an enumerator's name: a capital letter, then letters and digits.
bool hasTheNameForm(const std::string& name, const std::string& prefix)
{
    if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size())
        return false;
    const std::string rest = name.substr(prefix.size());
    return std::isupper(static_cast<unsigned char>(rest[0])) &&
           std::all_of(rest.begin(), rest.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

TEST(KeyNames, EveryValueTheLibraryListsIsNamedAsItsEnumerator)
{
    const LibraryLists lists = libraryLists();
    ASSERT_EQ(lists.keys.size(), 101u);      // the program names -1 to 100
    ASSERT_EQ(lists.scancodes.size(), 146u); // and -1 to 145
    expectNamedAsListed(lists.keys, keyboard::keyName, "Key::");
    expectNamedAsListed(lists.scancodes, keyboard::scancodeName, "Scan::");
}

TEST(KeyNames, TheEndsAndWhereTheTwoNumberingsDiffer)
{
    EXPECT_EQ(keyboard::keyName(static_cast<Key>(0)), "Key::A");
    EXPECT_EQ(keyboard::keyName(static_cast<Key>(26)), "Key::Num0");
    EXPECT_EQ(keyboard::keyName(static_cast<Key>(37)), "Key::LControl");
    EXPECT_EQ(keyboard::keyName(static_cast<Key>(100)), "Key::Pause");
    EXPECT_EQ(keyboard::scancodeName(static_cast<Scan>(0)), "Scan::A");
    EXPECT_EQ(keyboard::scancodeName(static_cast<Scan>(26)), "Scan::Num1");
    EXPECT_EQ(keyboard::scancodeName(static_cast<Scan>(35)), "Scan::Num0");
    EXPECT_EQ(keyboard::scancodeName(static_cast<Scan>(127)), "Scan::LControl");
    EXPECT_EQ(keyboard::scancodeName(static_cast<Scan>(145)), "Scan::LaunchMediaSelect");
}

TEST(KeyNames, NamesAreDistinctAndOfTheirForm)
{
    std::set<std::string> keys;
    for (int value = -1; value <= 100; ++value)
    {
        const std::string name = keyboard::keyName(static_cast<Key>(value));
        EXPECT_TRUE(hasTheNameForm(name, "Key::")) << name;
        EXPECT_TRUE(keys.insert(name).second) << name << " names two key codes";
    }
    std::set<std::string> scans;
    for (int value = -1; value <= 145; ++value)
    {
        const std::string name = keyboard::scancodeName(static_cast<Scan>(value));
        EXPECT_TRUE(hasTheNameForm(name, "Scan::")) << name;
        EXPECT_TRUE(scans.insert(name).second) << name << " names two scancodes";
    }
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
