#include <mivra/Window/WindowBase.hpp>

#include "NullBackendWindow.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Counts heap allocations of this test binary while `counting` is set.
namespace
{
std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
} // namespace

void* operator new(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

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

    allocations = 0;
    counting = true;
    int taken = 0;
    for (int i = 0; i < 100; ++i)
        taken += frame();
    counting = false;
    EXPECT_EQ(taken, 4000);
    EXPECT_EQ(allocations.load(), 0);
}
