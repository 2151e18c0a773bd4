#include <mivra/Graphics/Color.hpp>
#include <mivra/Graphics/Rect.hpp>
#include <mivra/Graphics/StencilMode.hpp>
#include <mivra/Graphics/VertexArray.hpp>

#include <gtest/gtest.h>

using namespace mivra;

TEST(ColorTest, ArithmeticSaturatesAndModulates)
{
    EXPECT_EQ(Color(200, 100, 10, 255) + Color(100, 100, 10, 10), Color(255, 200, 20, 255));
    EXPECT_EQ(Color(10, 100, 10, 5) - Color(20, 50, 10, 10), Color(0, 50, 0, 0));
    EXPECT_EQ(Color(255, 128, 0, 255) * Color(128, 255, 255, 128), Color(128, 128, 0, 128));
    EXPECT_EQ(Color(0x11223344u), Color(0x11, 0x22, 0x33, 0x44));
    EXPECT_EQ(Color(0x11, 0x22, 0x33, 0x44).toInteger(), 0x11223344u);
}

TEST(RectTest, ContainsAndIntersection)
{
    const IntRect r({10, 10}, {20, 10});
    EXPECT_TRUE(r.contains({10, 10}));
    EXPECT_TRUE(r.contains({29, 19}));
    EXPECT_FALSE(r.contains({30, 15})); // right edge excluded
    EXPECT_FALSE(r.contains({15, 20})); // bottom edge excluded

    EXPECT_EQ(r.findIntersection(IntRect({25, 0}, {100, 15})), IntRect({25, 10}, {5, 5}));
    EXPECT_FALSE(r.findIntersection(IntRect({30, 10}, {5, 5})).has_value()); // touching is not crossing
    // A rectangle given with a negative size spans the same area.
    EXPECT_EQ(r.findIntersection(IntRect({40, 30}, {-20, -15})), IntRect({20, 15}, {10, 5}));
    EXPECT_EQ(FloatRect({0.f, 0.f}, {4.f, 2.f}).getCenter(), Vector2f(2.f, 1.f));
}

TEST(StencilValueTest, SignedAndUnsignedValues)
{
    EXPECT_EQ(StencilValue(3).value, 3u);
    EXPECT_EQ(StencilValue(0xFFFFFFFFu).value, 0xFFFFFFFFu);
    EXPECT_EQ(StencilValue(-1).value, 0xFFFFFFFFu);
    const StencilMode mode{StencilComparison::Greater, StencilUpdateOperation::Replace, 2, ~0u, false};
    EXPECT_EQ(static_cast<int>(mode.stencilComparison), 3);
    EXPECT_EQ(static_cast<int>(mode.stencilUpdateOperation), 2);
    EXPECT_EQ(static_cast<int>(StencilComparison::Always), 7);
    EXPECT_NE(mode, StencilMode{});
}

TEST(VertexArrayTest, BoundsCoverEveryVertex)
{
    VertexArray points(PrimitiveType::Points);
    EXPECT_EQ(points.getBounds(), FloatRect());
    points.append({{-480.f, 10.f}});
    points.append({{20.f, -5.f}});
    points.append({{5.f, 470.f}});
    EXPECT_EQ(points.getBounds(), FloatRect({-480.f, -5.f}, {500.f, 475.f}));
    points.resize(1);
    EXPECT_EQ(points.getBounds(), FloatRect({-480.f, 10.f}, {0.f, 0.f}));
    EXPECT_EQ(points[0].color, Color::White);
}
