#include <mivra/Window/WindowBase.hpp>

#include "AllocationCounter.hpp"
#include "detail/NullWindowImpl.hpp"

#include <gtest/gtest.h>

TEST(EventQueue, SteadyStreamOfEventsAllocatesNothing)
{
    auto* impl = new mivra::detail::NullWindowImpl({800, 600});
    mivra::WindowBase window{std::unique_ptr<mivra::detail::NullWindowImpl>(impl)};

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
