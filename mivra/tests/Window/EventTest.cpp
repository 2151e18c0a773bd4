#include <mivra/Window/Event.hpp>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

namespace
{
using mivra::Event;

// One visitor overload per kind, so a kind dispatched to the wrong entry shows up by name.
struct NameVisitor
{
    std::string operator()(const Event::Closed&) const { return "Closed"; }
    std::string operator()(const Event::Resized&) const { return "Resized"; }
    std::string operator()(const Event::FocusLost&) const { return "FocusLost"; }
    std::string operator()(const Event::FocusGained&) const { return "FocusGained"; }
    std::string operator()(const Event::TextEntered&) const { return "TextEntered"; }
    std::string operator()(const Event::KeyPressed&) const { return "KeyPressed"; }
    std::string operator()(const Event::KeyReleased&) const { return "KeyReleased"; }
    std::string operator()(const Event::MouseWheelScrolled&) const { return "MouseWheelScrolled"; }
    std::string operator()(const Event::MouseButtonPressed&) const { return "MouseButtonPressed"; }
    std::string operator()(const Event::MouseButtonReleased&) const { return "MouseButtonReleased"; }
    std::string operator()(const Event::MouseMoved&) const { return "MouseMoved"; }
    std::string operator()(const Event::MouseMovedRaw&) const { return "MouseMovedRaw"; }
    std::string operator()(const Event::MouseEntered&) const { return "MouseEntered"; }
    std::string operator()(const Event::MouseLeft&) const { return "MouseLeft"; }
    std::string operator()(const Event::JoystickButtonPressed&) const { return "JoystickButtonPressed"; }
    std::string operator()(const Event::JoystickButtonReleased&) const { return "JoystickButtonReleased"; }
    std::string operator()(const Event::JoystickMoved&) const { return "JoystickMoved"; }
    std::string operator()(const Event::JoystickConnected&) const { return "JoystickConnected"; }
    std::string operator()(const Event::JoystickDisconnected&) const { return "JoystickDisconnected"; }
    std::string operator()(const Event::TouchBegan&) const { return "TouchBegan"; }
    std::string operator()(const Event::TouchMoved&) const { return "TouchMoved"; }
    std::string operator()(const Event::TouchEnded&) const { return "TouchEnded"; }
    std::string operator()(const Event::SensorChanged&) const { return "SensorChanged"; }
};

using AllKinds = std::tuple<Event::Closed, Event::Resized, Event::FocusLost, Event::FocusGained, Event::TextEntered,
                            Event::KeyPressed, Event::KeyReleased, Event::MouseWheelScrolled, Event::MouseButtonPressed,
                            Event::MouseButtonReleased, Event::MouseMoved, Event::MouseMovedRaw, Event::MouseEntered,
                            Event::MouseLeft, Event::JoystickButtonPressed, Event::JoystickButtonReleased,
                            Event::JoystickMoved, Event::JoystickConnected, Event::JoystickDisconnected,
                            Event::TouchBegan, Event::TouchMoved, Event::TouchEnded, Event::SensorChanged>;

const char* const expectedNames[] = {"Closed",
                                     "Resized",
                                     "FocusLost",
                                     "FocusGained",
                                     "TextEntered",
                                     "KeyPressed",
                                     "KeyReleased",
                                     "MouseWheelScrolled",
                                     "MouseButtonPressed",
                                     "MouseButtonReleased",
                                     "MouseMoved",
                                     "MouseMovedRaw",
                                     "MouseEntered",
                                     "MouseLeft",
                                     "JoystickButtonPressed",
                                     "JoystickButtonReleased",
                                     "JoystickMoved",
                                     "JoystickConnected",
                                     "JoystickDisconnected",
                                     "TouchBegan",
                                     "TouchMoved",
                                     "TouchEnded",
                                     "SensorChanged"};

// How many kinds T's event answers is<U>() with true for, over every kind U.
template <std::size_t... I>
int countMatchingIs(const Event& event, std::index_sequence<I...>)
{
    return (0 + ... + (event.is<std::tuple_element_t<I, AllKinds>>() ? 1 : 0));
}
template <std::size_t... I>
int countNonNullGetIf(const Event& event, std::index_sequence<I...>)
{
    return (0 + ... + (event.getIf<std::tuple_element_t<I, AllKinds>>() != nullptr ? 1 : 0));
}

template <std::size_t... I>
void checkEveryKind(std::index_sequence<I...> all)
{
    (
        [&] {
            using Kind = std::tuple_element_t<I, AllKinds>;
            const Event event = Kind{};
            SCOPED_TRACE(expectedNames[I]);
            EXPECT_EQ(event.getKindIndex(), I);
            EXPECT_EQ(event.visit(NameVisitor{}), expectedNames[I]);
            EXPECT_TRUE(event.is<Kind>());
            EXPECT_EQ(countMatchingIs(event, all), 1);
            EXPECT_NE(event.getIf<Kind>(), nullptr);
            EXPECT_EQ(countNonNullGetIf(event, all), 1);
            // A generic visitor sees the kind's own type.
            EXPECT_TRUE(
                event.visit([](const auto& data) { return std::is_same_v<std::decay_t<decltype(data)>, Kind>; }));
        }(),
        ...);
}
struct Fallback
{
    int operator()(const Event::Closed&) const { return 1; }
    int operator()(const Event::TouchBegan& touch) const { return static_cast<int>(touch.finger) + 10; }
    int operator()(const auto&) const { return 0; }
};
} // namespace

TEST(Event, EveryKindDispatchesToItsOwnEntryInListOrder)
{
    static_assert(std::tuple_size_v<AllKinds> == 23);
    static_assert(Event::KindCount == 23);
    checkEveryKind(std::make_index_sequence<23>());
}

TEST(Event, AccessorsReadAndWriteTheHeldData)
{
    Event event =
        Event::KeyPressed{mivra::Keyboard::Key::Enter, mivra::Keyboard::Scan::Enter, false, true, false, false};
    const auto* key = std::as_const(event).getIf<Event::KeyPressed>();
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->code, mivra::Keyboard::Key::Enter);
    EXPECT_EQ(key->scancode, mivra::Keyboard::Scan::Enter);
    EXPECT_TRUE(key->control);
    EXPECT_FALSE(key->alt);
    EXPECT_EQ(event.getIf<Event::KeyReleased>(), nullptr);

    event.getIf<Event::KeyPressed>()->code = mivra::Keyboard::Key::A;
    EXPECT_EQ(event.getIf<Event::KeyPressed>()->code, mivra::Keyboard::Key::A);

    // Assigning another kind replaces the held one.
    event = Event::MouseMovedRaw{{5, -2}};
    EXPECT_FALSE(event.is<Event::KeyPressed>());
    ASSERT_TRUE(event.is<Event::MouseMovedRaw>());
    EXPECT_EQ(event.getIf<Event::MouseMovedRaw>()->delta, mivra::Vector2i(5, -2));
}

TEST(Event, VisitorMayModifyAndReturnValues)
{
    Event event = Event::MouseMoved{{412, 37}};
    const int sum = event.visit([](auto& data) {
        if constexpr (std::is_same_v<std::decay_t<decltype(data)>, Event::MouseMoved>)
        {
            data.position.x += 1;
            return data.position.x + data.position.y;
        }
        else
            return -1;
    });
    EXPECT_EQ(sum, 413 + 37);
    EXPECT_EQ(event.getIf<Event::MouseMoved>()->position, mivra::Vector2i(413, 37));

    // A visitor with a few overloads and a generic fallback, as event handlers write them.
    EXPECT_EQ(Event(Event::Closed{}).visit(Fallback{}), 1);
    EXPECT_EQ(Event(Event::TouchBegan{2, {0, 0}}).visit(Fallback{}), 12);
    EXPECT_EQ(Event(Event::TouchEnded{2, {0, 0}}).visit(Fallback{}), 0);
    EXPECT_EQ(Event(Event::SensorChanged{mivra::Sensor::Type::Gravity, {0, 0, 9.8f}}).visit(Fallback{}), 0);
}

TEST(Event, EqualityComparesKindAndData)
{
    EXPECT_EQ(Event(Event::Resized{{800, 600}}), Event(Event::Resized{{800, 600}}));
    EXPECT_NE(Event(Event::Resized{{800, 600}}), Event(Event::Resized{{800, 601}}));
    EXPECT_NE(Event(Event::TouchBegan{0, {1, 2}}), Event(Event::TouchEnded{0, {1, 2}}));
}
