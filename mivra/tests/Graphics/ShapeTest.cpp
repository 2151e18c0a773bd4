#include <mivra/Graphics/CircleShape.hpp>
#include <mivra/Graphics/RectangleShape.hpp>
#include <mivra/Graphics/Sprite.hpp>
#include <mivra/Graphics/Texture.hpp>

#include <cmath>

#include <gtest/gtest.h>

using namespace mivra;

namespace
{
void expectRectNear(const FloatRect& actual, const FloatRect& expected, float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.position.x, expected.position.x, tolerance);
    EXPECT_NEAR(actual.position.y, expected.position.y, tolerance);
    EXPECT_NEAR(actual.size.x, expected.size.x, tolerance);
    EXPECT_NEAR(actual.size.y, expected.size.y, tolerance);
}
} // namespace

TEST(ShapeTest, RectangleBoundsWithOutlineAndTransform)
{
    RectangleShape paddle({22.f, 97.f});
    expectRectNear(paddle.getLocalBounds(), {{0.f, 0.f}, {22.f, 97.f}});
    paddle.setOutlineThickness(3.f);
    expectRectNear(paddle.getLocalBounds(), {{-3.f, -3.f}, {28.f, 103.f}});
    paddle.setOrigin({12.5f, 50.f});
    paddle.setPosition({22.5f, 300.f});
    expectRectNear(paddle.getGlobalBounds(), {{7.f, 247.f}, {28.f, 103.f}});

    // A negative thickness draws inside: the bounds stay those of the rectangle.
    paddle.setOutlineThickness(-3.f);
    expectRectNear(paddle.getLocalBounds(), {{0.f, 0.f}, {22.f, 97.f}});
}

TEST(ShapeTest, CirclePointsAndMiteredOutline)
{
    CircleShape diamond(10.f, 4);
    EXPECT_EQ(diamond.getPointCount(), 4u);
    const Vector2f expected[] = {{10.f, 0.f}, {20.f, 10.f}, {10.f, 20.f}, {0.f, 10.f}};
    for (std::size_t i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(diamond.getPoint(i).x, expected[i].x, 1e-4f) << i;
        EXPECT_NEAR(diamond.getPoint(i).y, expected[i].y, 1e-4f) << i;
    }
    expectRectNear(diamond.getLocalBounds(), {{0.f, 0.f}, {20.f, 20.f}});
    // Each tip moves out far enough for both edges to lie 1 away: sqrt(2) along the diagonal.
    diamond.setOutlineThickness(1.f);
    const float s = std::sqrt(2.f);
    expectRectNear(diamond.getLocalBounds(), {{-s, -s}, {20.f + 2 * s, 20.f + 2 * s}});

    CircleShape ball(7.f, 30);
    ball.setOutlineThickness(2.f);
    const FloatRect bounds = ball.getLocalBounds();
    EXPECT_NEAR(bounds.position.y, -2.f, 0.05f);
    EXPECT_NEAR(bounds.size.y, 18.f, 0.1f);
    ball.setPointCount(1);
    EXPECT_EQ(ball.getPointCount(), 3u);
}

TEST(SpriteTest, BoundsFollowTheTextureRect)
{
    const Texture texture; // empty: sprites only read its size here
    Sprite sprite(texture, IntRect({96, 0}, {96, 96}));
    expectRectNear(sprite.getLocalBounds(), {{0.f, 0.f}, {96.f, 96.f}});
    sprite.setPosition({135.f, 100.f});
    sprite.setScale({0.5f, 2.f});
    expectRectNear(sprite.getGlobalBounds(), {{135.f, 100.f}, {48.f, 192.f}});
    sprite.setTextureRect(IntRect({0, 0}, {-10, 20})); // flipped horizontally
    expectRectNear(sprite.getLocalBounds(), {{0.f, 0.f}, {10.f, 20.f}});
    sprite.setColor({255, 255, 255, 200});
    EXPECT_EQ(sprite.getColor(), Color(255, 255, 255, 200));
}
