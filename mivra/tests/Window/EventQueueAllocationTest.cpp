#include <mivra/Window/WindowBase.hpp>

#include "AllocationCounter.hpp"
#include "NullBackendWindow.hpp"

#include <gtest/gtest.h>

TEST(EventQueue, SteadyStreamOfEventsAllocatesNothing)
{
    mivra::test::NullBackendWindow<mivra::WindowBase> window(mivra::VideoMode({800, 600}), "queue");
    mivra::detail::NullWindowImpl* impl = &window.backend();

    auto frame = [&] {
        // A frame's worth of events, more than a handful, then a full drain.
        for (int i = 0; i < 40; ++i)
            impl->pushEvent(mivra::Event::MouseMoved{{i, i}});
        int taken = 0;
        while (const auto event = window.pollEvent())
            taken += event->is<mivra::Event::MouseMoved>() ? 1 : 0;
        return taken;
    };
    EXPECT_EQ(frame(), 40); // warms the queue up to its working size

    int taken = 0;
    std::size_t allocations = 0;
    {
        const mivra::test::AllocationCounter counter;
        for (int i = 0; i < 100; ++i)
            taken += frame();
        allocations = counter.count();
    }
    EXPECT_EQ(taken, 4000);
    EXPECT_EQ(allocations, 0u);
}
