#include <mivra/System/Vector2.hpp>

#include <gtest/gtest.h>

using namespace mivra;

TEST(Vector2Test, ArithmeticAndLength)
{
    const Vector2f a(3.f, 4.f);
    EXPECT_FLOAT_EQ(a.length(), 5.f);
    EXPECT_EQ(a + Vector2f(1.f, 1.f), Vector2f(4.f, 5.f));
    EXPECT_EQ(a * 2.f, Vector2f(6.f, 8.f));
    EXPECT_EQ(-Vector2i(1, -2), Vector2i(-1, 2));
    EXPECT_EQ(Vector2i(Vector2f(2.9f, -1.2f)), Vector2i(2, -1));
}
