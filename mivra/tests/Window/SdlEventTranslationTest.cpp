#include "detail/SdlEventTranslation.hpp"
#include "detail/TouchState.hpp"
#include "detail/RawMouse.hpp"
#include "detail/WaylandRawMouse.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>

using mivra::Event;
using mivra::Keyboard;
using mivra::Mouse;
using mivra::Vector2i;

namespace
{
class Translation : public ::testing::Test
{
protected:
    std::vector<Event> translate(const SDL_Event& event)
    {
        std::vector<Event> out;
        mivra::detail::translateSdlEvent(event, context, out);
        return out;
    }

    static SDL_Event key(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = KMOD_NONE)
    {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        return e;
    }
    static SDL_Event text(const char* utf8)
    {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        std::strncpy(e.text.text, utf8, sizeof(e.text.text) - 1);
        return e;
    }
    static SDL_Event window(Uint8 kind, int data1 = 0, int data2 = 0)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = kind;
        e.window.data1 = data1;
        e.window.data2 = data2;
        return e;
    }
    static SDL_Event finger(Uint32 type, SDL_FingerID id, float x, float y)
    {
        SDL_Event e{};
        e.type = type;
        e.tfinger.fingerId = id;
        e.tfinger.x = x;
        e.tfinger.y = y;
        return e;
    }

    mivra::detail::TouchState touches;
    mivra::detail::TranslationContext context{{800, 600}, {100, 50}, &touches};
};
} // namespace

TEST_F(Translation, KeysCarryCodeScancodeAndModifiers)
{
    auto out = translate(key(SDL_KEYDOWN, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LSHIFT | KMOD_RCTRL));
    ASSERT_EQ(out.size(), 1u);
    const auto* pressed = out[0].getIf<Event::KeyPressed>();
    ASSERT_NE(pressed, nullptr);
    EXPECT_EQ(pressed->code, Keyboard::Key::Enter);
    EXPECT_EQ(pressed->scancode, Keyboard::Scan::Enter);
    EXPECT_TRUE(pressed->shift);
    EXPECT_TRUE(pressed->control);
    EXPECT_FALSE(pressed->alt);
    EXPECT_FALSE(pressed->system);

    out = translate(key(SDL_KEYUP, SDL_SCANCODE_KP_1, SDLK_KP_1, KMOD_LALT | KMOD_RGUI));
    ASSERT_EQ(out.size(), 1u);
    const auto* released = out[0].getIf<Event::KeyReleased>();
    ASSERT_NE(released, nullptr);
    EXPECT_EQ(released->code, Keyboard::Key::Numpad1);
    EXPECT_EQ(released->scancode, Keyboard::Scan::Numpad1);
    EXPECT_TRUE(released->alt);
    EXPECT_TRUE(released->system);

    // The A key of an AZERTY layout types q: the key code follows the layout, the scancode the position.
    out = translate(key(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_q));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].getIf<Event::KeyPressed>()->code, Keyboard::Key::Q);
    EXPECT_EQ(out[0].getIf<Event::KeyPressed>()->scancode, Keyboard::Scan::A);

    // Keys outside our tables are still reported, as Unknown.
    out = translate(key(SDL_KEYDOWN, SDL_SCANCODE_KP_HEXADECIMAL, SDLK_KP_HEXADECIMAL));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].getIf<Event::KeyPressed>()->code, Keyboard::Key::Unknown);
    EXPECT_EQ(out[0].getIf<Event::KeyPressed>()->scancode, Keyboard::Scan::Unknown);
}

TEST_F(Translation, TextBecomesOneEventPerCodePoint)
{
    const auto out = translate(text("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].getIf<Event::TextEntered>()->unicode, U'a');
    EXPECT_EQ(out[1].getIf<Event::TextEntered>()->unicode, U'\u00E9');
    EXPECT_EQ(out[2].getIf<Event::TextEntered>()->unicode, U'\u20AC');
    EXPECT_EQ(out[3].getIf<Event::TextEntered>()->unicode, U'\U0001F600');
}

TEST_F(Translation, MalformedTextGivesReplacementCharactersWithoutOverrunning)
{
    // A stray continuation byte, a truncated sequence followed by ASCII, an overlong encoding
    // and an encoded surrogate.
    const auto out = translate(text("\x80"
                                    "\xE2\x82"
                                    "x"
                                    "\xC0\xAF"
                                    "\xED\xA0\x80"));
    std::u32string decoded;
    for (const Event& e : out)
        decoded += e.getIf<Event::TextEntered>()->unicode;
    EXPECT_EQ(decoded, U"\uFFFD\uFFFDx\uFFFD\uFFFD");
}

TEST_F(Translation, MouseMotionButtonsAndWheel)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = -3;
    e.motion.y = 120;
    auto out = translate(e);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], Event(Event::MouseMoved{{-3, 120}}));

    e = {};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_RIGHT;
    e.button.x = 10;
    e.button.y = 20;
    out = translate(e);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], Event(Event::MouseButtonPressed{Mouse::Button::Right, {10, 20}}));

    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_MIDDLE;
    out = translate(e);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], Event(Event::MouseButtonReleased{Mouse::Button::Middle, {10, 20}}));

    e.button.button = SDL_BUTTON_X2;
    EXPECT_EQ(translate(e).at(0).getIf<Event::MouseButtonReleased>()->button, Mouse::Button::Extra2);

    e = {};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.preciseY = -1.5f;
    e.wheel.mouseX = 7;
    e.wheel.mouseY = 8;
    out = translate(e);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], Event(Event::MouseWheelScrolled{Mouse::Wheel::Vertical, -1.5f, {7, 8}}));

    // A diagonal scroll reports both wheels; a flipped one reports the user's direction.
    e.wheel.preciseX = 2.f;
    e.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    out = translate(e);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], Event(Event::MouseWheelScrolled{Mouse::Wheel::Vertical, 1.5f, {7, 8}}));
    EXPECT_EQ(out[1], Event(Event::MouseWheelScrolled{Mouse::Wheel::Horizontal, -2.f, {7, 8}}));
}

TEST_F(Translation, MouseEventsSynthesisedFromTouchAreDropped)
{
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.which = SDL_TOUCH_MOUSEID;
    e.button.button = SDL_BUTTON_LEFT;
    EXPECT_TRUE(translate(e).empty());
    e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.which = SDL_TOUCH_MOUSEID;
    EXPECT_TRUE(translate(e).empty());
}

TEST_F(Translation, WindowEvents)
{
    EXPECT_EQ(translate(window(SDL_WINDOWEVENT_CLOSE)).at(0), Event(Event::Closed{}));
    EXPECT_EQ(translate(window(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 480)).at(0), Event(Event::Resized{{640, 480}}));
    EXPECT_EQ(translate(window(SDL_WINDOWEVENT_FOCUS_GAINED)).at(0), Event(Event::FocusGained{}));
    EXPECT_EQ(translate(window(SDL_WINDOWEVENT_FOCUS_LOST)).at(0), Event(Event::FocusLost{}));
    EXPECT_EQ(translate(window(SDL_WINDOWEVENT_ENTER)).at(0), Event(Event::MouseEntered{}));
    EXPECT_EQ(translate(window(SDL_WINDOWEVENT_LEAVE)).at(0), Event(Event::MouseLeft{}));
    // RESIZED always comes with SIZE_CHANGED: reporting both would double every resize.
    EXPECT_TRUE(translate(window(SDL_WINDOWEVENT_RESIZED, 640, 480)).empty());
    EXPECT_TRUE(translate(window(SDL_WINDOWEVENT_EXPOSED)).empty());
}

TEST_F(Translation, FingersAreNumberedBySlotAndPlacedInWindowPixels)
{
    auto out = translate(finger(SDL_FINGERDOWN, 1001, 0.5f, 0.25f));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], Event(Event::TouchBegan{0, {400, 150}}));
    EXPECT_TRUE(touches.isDown(0));
    EXPECT_EQ(touches.getPosition(0), Vector2i(500, 200)); // on the desktop

    out = translate(finger(SDL_FINGERDOWN, 2002, 0.f, 1.f));
    EXPECT_EQ(out.at(0), Event(Event::TouchBegan{1, {0, 600}}));

    out = translate(finger(SDL_FINGERMOTION, 1001, 0.1f, 0.1f));
    EXPECT_EQ(out.at(0), Event(Event::TouchMoved{0, {80, 60}}));

    out = translate(finger(SDL_FINGERUP, 1001, 0.1f, 0.1f));
    EXPECT_EQ(out.at(0), Event(Event::TouchEnded{0, {80, 60}}));
    EXPECT_FALSE(touches.isDown(0));
    EXPECT_TRUE(touches.isDown(1));

    // The freed number goes to the next finger; motion of a finger never seen is dropped.
    EXPECT_EQ(translate(finger(SDL_FINGERDOWN, 3003, 0.f, 0.f)).at(0), Event(Event::TouchBegan{0, {0, 0}}));
    EXPECT_TRUE(translate(finger(SDL_FINGERMOTION, 4004, 0.f, 0.f)).empty());
}

TEST_F(Translation, UnrelatedEventsGiveNothing)
{
    SDL_Event e{};
    e.type = SDL_CLIPBOARDUPDATE;
    EXPECT_TRUE(translate(e).empty());
    e.type = SDL_QUIT;
    EXPECT_TRUE(translate(e).empty());
}

TEST(RawMotion, FractionsAccumulateIntoWholeUnits)
{
    double rx = 0;
    double ry = 0;
    using mivra::detail::takeWholeUnits;
    EXPECT_EQ(takeWholeUnits(rx, ry, 5, 0), Vector2i(5, 0));
    EXPECT_EQ(takeWholeUnits(rx, ry, 0.4, -0.6), Vector2i(0, 0));
    EXPECT_EQ(takeWholeUnits(rx, ry, 0.7, -0.6), Vector2i(1, -1));
    EXPECT_NEAR(rx, 0.1, 1e-9);
    EXPECT_NEAR(ry, -0.2, 1e-9);
    // Motion back the other way uses up the remainder first instead of jumping a unit.
    EXPECT_EQ(takeWholeUnits(rx, ry, -0.1, 0.2), Vector2i(0, 0));
    EXPECT_EQ(takeWholeUnits(rx, ry, -3, 2), Vector2i(-3, 2));
}

TEST(RawMotion, WaylandFixedPointMotionGivesWholeUnits)
{
    // The compositor's relative motion comes in 24.8 fixed point (256 per unit).
    double rx = 0;
    double ry = 0;
    using mivra::detail::takeFixedPointMotion;
    EXPECT_EQ(takeFixedPointMotion(rx, ry, 5 * 256, 0), Vector2i(5, 0));
    EXPECT_EQ(takeFixedPointMotion(rx, ry, -3 * 256, 7 * 256), Vector2i(-3, 7));
    // Half units add up to a whole one on the second event.
    EXPECT_EQ(takeFixedPointMotion(rx, ry, 128, -128), Vector2i(0, 0));
    EXPECT_EQ(takeFixedPointMotion(rx, ry, 128, -128), Vector2i(1, -1));
    EXPECT_EQ(takeFixedPointMotion(rx, ry, 64, 0), Vector2i(0, 0));
    EXPECT_NEAR(rx, 0.25, 1e-9);
    EXPECT_NEAR(ry, 0.0, 1e-9);
}
