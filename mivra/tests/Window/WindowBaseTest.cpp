#include <mivra/System/Diagnostics.hpp>
#include <mivra/Window/Window.hpp>
#include <mivra/Window/WindowBase.hpp>

#include "../Support/DiagnosticCapture.hpp"
#include "NullBackendWindow.hpp"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using mivra::Event;
using mivra::Vector2u;
using mivra::detail::NullWindowImpl;
using mivra::test::NullBackendWindow;

namespace
{
class CountingWindow : public mivra::WindowBase
{
public:
    CountingWindow(mivra::VideoMode mode, const mivra::String& title, std::uint32_t style = mivra::Style::Default)
        : WindowBase(mode, title, style), m_title(title)
    {
    }
    int resizes = 0;
    Vector2u sizeSeenOnResize;

    // SDL's id of this window, found by its title (unique among the windows of a test).
    std::uint32_t sdlId() const
    {
        const std::string title = m_title.toUtf8();
        for (std::uint32_t id = 1; id < 10000; ++id)
            if (SDL_Window* window = SDL_GetWindowFromID(id); window && title == SDL_GetWindowTitle(window))
                return id;
        return 0;
    }

protected:
    void onResize() override
    {
        ++resizes;
        sizeSeenOnResize = getSize();
    }

private:
    mivra::String m_title;
};

struct NullWindow
{
    NullBackendWindow<CountingWindow> window{mivra::VideoMode({640, 480}), "null"};
    NullWindowImpl* impl{&window.backend()};
};
} // namespace

TEST(WindowBaseQueue, EventsComeOutInOrderThenNothing)
{
    NullWindow w;
    ASSERT_TRUE(w.window.isOpen());
    w.impl->pushEvent(Event::MouseMoved{{1, 2}});
    w.impl->pushEvent(Event::KeyPressed{mivra::Keyboard::Key::A, mivra::Keyboard::Scan::A});
    w.impl->pushEvent(Event::Closed{});

    auto e = w.window.pollEvent();
    ASSERT_TRUE(e);
    EXPECT_EQ(*e, Event(Event::MouseMoved{{1, 2}}));
    e = w.window.pollEvent();
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->is<Event::KeyPressed>());
    e = w.window.pollEvent();
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->is<Event::Closed>());
    EXPECT_FALSE(w.window.pollEvent());
    // An empty queue asks the backend for new events.
    EXPECT_GT(w.impl->getProcessCount(), 0);
}

TEST(WindowBaseQueue, CloseDropsQueuedEventsAndEndsPolling)
{
    NullWindow w;
    w.impl->pushEvent(Event::Closed{});
    w.impl->pushEvent(Event::MouseMoved{{5, 5}});
    w.impl->pushEvent(Event::MouseMoved{{6, 6}});
    auto e = w.window.pollEvent();
    ASSERT_TRUE(e && e->is<Event::Closed>());
    w.window.close();
    EXPECT_FALSE(w.window.isOpen());
    EXPECT_FALSE(w.window.pollEvent());
    EXPECT_FALSE(w.window.pollEvent());
    EXPECT_FALSE(w.window.waitEvent(mivra::milliseconds(1)));
    // Operations on a closed window are harmless.
    w.window.setTitle("closed");
    w.window.setVisible(false);
    EXPECT_EQ(w.window.getSize(), Vector2u());
    EXPECT_FALSE(w.window.hasFocus());
}

TEST(WindowBaseQueue, WaitEventReturnsQueuedEventsAndTimesOut)
{
    NullWindow w;
    w.impl->pushEvent(Event::FocusGained{});
    auto e = w.window.waitEvent(mivra::milliseconds(5));
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->is<Event::FocusGained>());
    EXPECT_FALSE(w.window.waitEvent(mivra::milliseconds(5)));
}

TEST(WindowBaseSize, ResizedEventUpdatesSizeBeforeTheUserSeesIt)
{
    NullWindow w;
    EXPECT_EQ(w.window.getSize(), Vector2u(640, 480));
    w.impl->pushEvent(Event::Resized{{1024, 768}});
    // The size changes when the event is taken, so size and events tell the same story.
    EXPECT_EQ(w.window.getSize(), Vector2u(640, 480));
    const auto e = w.window.pollEvent();
    ASSERT_TRUE(e && e->is<Event::Resized>());
    EXPECT_EQ(w.window.getSize(), Vector2u(1024, 768));
    EXPECT_EQ(w.window.resizes, 1);
    EXPECT_EQ(w.window.sizeSeenOnResize, Vector2u(1024, 768));

    w.window.setSize({300, 200});
    EXPECT_EQ(w.window.getSize(), Vector2u(300, 200));
    EXPECT_EQ(w.window.resizes, 2);
}

TEST(WindowBaseSize, ThePixelRatioIsPhysicalOverLogicalPixels)
{
    struct Case
    {
        Vector2u size;
        unsigned int outputScale;
        float ratio;
    };
    for (const Case c : {Case{{640, 480}, 1, 1.f}, Case{{640, 480}, 2, 2.f}, Case{{300, 7}, 3, 3.f}})
    {
        NullWindow w;
        w.window.setSize(c.size);
        w.impl->setOutputScale(c.outputScale);
        EXPECT_EQ(w.window.getSize(), c.size) << "at scale " << c.outputScale;
        EXPECT_EQ(w.window.getPhysicalSize(), c.size * c.outputScale) << "at scale " << c.outputScale;
        EXPECT_EQ(w.window.getPixelRatio(), c.ratio) << "at scale " << c.outputScale;
        // Closed, there are no pixels of either kind: the ratio stays 1, never a division by zero.
        w.window.close();
        EXPECT_EQ(w.window.getPhysicalSize(), Vector2u()) << "at scale " << c.outputScale;
        EXPECT_EQ(w.window.getPixelRatio(), 1.f) << "at scale " << c.outputScale;
    }
}

TEST(WindowBaseProperties, ReachTheBackend)
{
    NullWindow w;
    w.window.setTitle(mivra::String::fromUtf8("Mivra \xC3\xA9"));
    EXPECT_EQ(w.impl->getTitle().toUtf8(), "Mivra \xC3\xA9");
    w.window.setVisible(false);
    EXPECT_FALSE(w.impl->isVisible());
    w.window.setMouseCursorVisible(false);
    EXPECT_FALSE(w.impl->isCursorVisible());
    w.window.setPosition({30, 40});
    EXPECT_EQ(w.window.getPosition(), mivra::Vector2i(30, 40));
    EXPECT_FALSE(w.window.hasFocus());
    w.window.requestFocus();
    EXPECT_TRUE(w.window.hasFocus());
}

TEST(WindowDisplay, WithoutAnyOpenGlNothingIsActivatedOrSwapped)
{
    // The dummy video driver has no OpenGL, so not even a hidden context can be had: the window
    // must not claim one, or drawing would reach a driver with nothing current.
    NullBackendWindow<mivra::Window> window(mivra::VideoMode({100, 100}), "display");
    NullWindowImpl* impl = &window.backend();
    const mivra::test::DiagnosticCapture diagnostics;
    EXPECT_FALSE(window.setActive());
    window.display();
    EXPECT_EQ(impl->getSwapCount(), 0);
}

TEST(WindowBackendChoice, TheForcedNullBackendServesItsWindowsOnly)
{
    {
        NullBackendWindow<CountingWindow> chosen(mivra::VideoMode({320, 200}), "chosen");
        ASSERT_TRUE(chosen.isOnNullBackend());
        EXPECT_EQ(chosen.backend().getTitle().toUtf8(), "chosen");
        EXPECT_EQ(chosen.getSize(), Vector2u(320, 200));
        EXPECT_EQ(chosen.sdlId(), 0u);
    }
    // With the process's choice given back, windows are SDL's.
    CountingWindow plain(mivra::VideoMode({320, 200}), "plain");
    EXPECT_NE(plain.sdlId(), 0u);
}

// Windows of SDL's dummy video driver: real SDL windows and event routing, without a display.
TEST(SdlWindow, OpensClosesAndTranslatesPushedEvents)
{
    CountingWindow window(mivra::VideoMode({320, 240}), "dummy", mivra::Style::Titlebar | mivra::Style::Close);
    ASSERT_TRUE(window.isOpen());
    EXPECT_EQ(window.getSize(), Vector2u(320, 240));
    while (window.pollEvent())
    {
    }

    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = window.sdlId();
    e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    e.key.keysym.sym = SDLK_ESCAPE;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = {};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = window.sdlId();
    std::strcpy(e.text.text, "\xC3\xA9");
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = {};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = window.sdlId();
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 12;
    e.button.y = 34;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = {};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = window.sdlId();
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&e), 1);

    std::vector<Event> events;
    while (auto event = window.pollEvent())
        events.push_back(*event);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0], Event(Event::KeyPressed{mivra::Keyboard::Key::Escape, mivra::Keyboard::Scan::Escape}));
    EXPECT_EQ(events[1], Event(Event::TextEntered{U'\u00E9'}));
    EXPECT_EQ(events[2], Event(Event::MouseButtonPressed{mivra::Mouse::Button::Left, {12, 34}}));
    EXPECT_EQ(events[3], Event(Event::Closed{}));

    window.close();
    EXPECT_FALSE(window.isOpen());
    EXPECT_FALSE(window.pollEvent());
}

TEST(SdlWindow, EventsReachOnlyTheirOwnWindow)
{
    CountingWindow first(mivra::VideoMode({100, 100}), "first");
    CountingWindow second(mivra::VideoMode({100, 100}), "second");
    ASSERT_TRUE(first.isOpen() && second.isOpen());
    while (first.pollEvent() || second.pollEvent())
    {
    }

    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = second.sdlId();
    e.motion.x = 3;
    e.motion.y = 4;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e.motion.windowID = first.sdlId();
    e.motion.x = 1;
    e.motion.y = 2;
    ASSERT_EQ(SDL_PushEvent(&e), 1);

    // Polling the first window also routes the second window's event into its own queue.
    auto a = first.pollEvent();
    ASSERT_TRUE(a);
    EXPECT_EQ(*a, Event(Event::MouseMoved{{1, 2}}));
    EXPECT_FALSE(first.pollEvent());
    auto b = second.pollEvent();
    ASSERT_TRUE(b);
    EXPECT_EQ(*b, Event(Event::MouseMoved{{3, 4}}));
    EXPECT_FALSE(second.pollEvent());

    // Events of a window that is gone are dropped, not handed to another one.
    const std::uint32_t goneId = second.sdlId();
    second.close();
    e.motion.windowID = goneId;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    EXPECT_FALSE(first.pollEvent());
}

TEST(SdlWindow, MotionToWherePointerAlreadyIsIsNoMove)
{
    CountingWindow window(mivra::VideoMode({100, 100}), "motion");
    ASSERT_TRUE(window.isOpen());
    while (window.pollEvent())
    {
    }
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = window.sdlId();
    for (const auto [x, y] : {std::pair{5, 5}, std::pair{5, 5}, std::pair{6, 5}, std::pair{6, 5}, std::pair{5, 5}})
    {
        e.motion.x = x;
        e.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    std::vector<Event> events;
    while (auto event = window.pollEvent())
        events.push_back(*event);
    const std::vector<Event> expected{Event::MouseMoved{{5, 5}}, Event::MouseMoved{{6, 5}}, Event::MouseMoved{{5, 5}}};
    EXPECT_EQ(events, expected);
}

TEST(SdlWindow, SizeFollowsSetSizeAndResizeEvents)
{
    CountingWindow window(mivra::VideoMode({200, 150}), "resizable", mivra::Style::Default);
    ASSERT_TRUE(window.isOpen());
    window.setSize({400, 300});
    EXPECT_EQ(window.getSize(), Vector2u(400, 300));
    EXPECT_GE(window.resizes, 1);
    while (window.pollEvent())
    {
    }
    EXPECT_EQ(window.getSize(), Vector2u(400, 300));
}

TEST(SdlWindow, ASizeEventWithTheSizeUnchangedIsNoResize)
{
    // SDL repeats the size when only the output's scale changed: the program sees no Resized
    // event, its logical size being the same, and the physical size follows from the next frame.
    CountingWindow window(mivra::VideoMode({200, 150}), "rescaled", mivra::Style::Default);
    ASSERT_TRUE(window.isOpen());
    while (window.pollEvent())
    {
    }
    EXPECT_EQ(window.getPhysicalSize(), Vector2u(200, 150));
    EXPECT_EQ(window.getPixelRatio(), 1.f);
    auto sizeEvent = [&](int width, int height) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = window.sdlId();
        e.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
        e.window.data1 = width;
        e.window.data2 = height;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    };
    sizeEvent(200, 150);
    sizeEvent(220, 150);
    std::vector<Vector2u> resized;
    while (const auto event = window.pollEvent())
        if (const auto* r = event->getIf<mivra::Event::Resized>())
            resized.push_back(r->size);
    EXPECT_EQ(resized, std::vector<Vector2u>{Vector2u(220, 150)});
}

TEST(SdlWindow, AWindowWithoutOpenGlSupportDoesNotOpen)
{
    // The dummy driver has no OpenGL: the window reports why and stays closed.
    mivra::test::DiagnosticCapture diagnostics;
    mivra::Window window(mivra::VideoMode({100, 100}), "no gl");
    EXPECT_FALSE(window.isOpen());
    EXPECT_FALSE(window.pollEvent());
    EXPECT_FALSE(window.setActive());
    window.display();
    const auto lines = diagnostics.take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("mivra: cannot open the window: \"no gl\": ", 0), 0u) << lines[0];
}
