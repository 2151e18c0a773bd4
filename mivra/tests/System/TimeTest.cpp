#include <mivra/System/Time.hpp>

#include <gtest/gtest.h>

using namespace mivra;

TEST(TimeTest, UnitsConvertThroughMicroseconds)
{
    EXPECT_EQ(seconds(1.5f).asMicroseconds(), 1'500'000);
    EXPECT_EQ(milliseconds(-250).asMicroseconds(), -250'000);
    EXPECT_EQ(microseconds(1234).asMilliseconds(), 1);
    EXPECT_FLOAT_EQ(milliseconds(100).asSeconds(), 0.1f);
    EXPECT_EQ(Time::Zero.asMicroseconds(), 0);
}

TEST(TimeTest, ArithmeticAndOrder)
{
    EXPECT_EQ(milliseconds(300) + milliseconds(200), milliseconds(500));
    EXPECT_EQ(milliseconds(300) - milliseconds(500), milliseconds(-200));
    EXPECT_EQ(-milliseconds(5), milliseconds(-5));
    EXPECT_EQ(milliseconds(10) * std::int64_t{3}, milliseconds(30));
    EXPECT_EQ(milliseconds(30) / std::int64_t{3}, milliseconds(10));
    EXPECT_FLOAT_EQ(seconds(3.f) / seconds(1.5f), 2.f);
    EXPECT_LT(milliseconds(-1), Time::Zero);
    Time t = seconds(1.f);
    t -= milliseconds(1);
    EXPECT_EQ(t.asMicroseconds(), 999'000);
}
