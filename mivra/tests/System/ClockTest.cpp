#include <mivra/System/Clock.hpp>

#include <gtest/gtest.h>

using namespace mivra;

TEST(ClockTest, SleepAndRestartMeasureElapsedTime)
{
    Clock clock;
    sleep(milliseconds(20));
    const Time first = clock.restart();
    EXPECT_GE(first, milliseconds(20));
    // After a restart the clock counts from zero again.
    EXPECT_LT(clock.getElapsedTime(), first);
    sleep(milliseconds(5));
    EXPECT_GE(clock.getElapsedTime(), milliseconds(5));
}

TEST(ClockTest, NonPositiveSleepReturnsAtOnce)
{
    Clock clock;
    sleep(Time::Zero);
    sleep(milliseconds(-1000));
    EXPECT_LT(clock.getElapsedTime(), milliseconds(500));
}
