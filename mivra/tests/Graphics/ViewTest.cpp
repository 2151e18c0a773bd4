#include <mivra/Graphics/RenderTarget.hpp>
#include <mivra/Graphics/View.hpp>

#include <gtest/gtest.h>

using namespace mivra;

namespace
{
// A target that is never drawn to: enough for the coordinate mapping, which needs no context.
class SizedTarget : public RenderTarget
{
public:
    explicit SizedTarget(Vector2u size) : m_size(size) { initialize(); }
    [[nodiscard]] Vector2u getSize() const override { return m_size; }
    bool setActive(bool) override { return false; }

private:
    Vector2u m_size;
};

void expectNear(Vector2f actual, Vector2f expected, float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}
} // namespace

TEST(ViewTest, DefaultViewCoversTheTargetPixelForPixel)
{
    SizedTarget target({800, 600});
    EXPECT_EQ(target.getDefaultView().getCenter(), Vector2f(400.f, 300.f));
    EXPECT_EQ(target.getDefaultView().getSize(), Vector2f(800.f, 600.f));
    expectNear(target.mapPixelToCoords({0, 0}), {0.f, 0.f});
    expectNear(target.mapPixelToCoords({412, 37}), {412.f, 37.f});
    EXPECT_EQ(target.mapCoordsToPixel({412.f, 37.f}), Vector2i(412, 37));
    EXPECT_EQ(target.getViewport(target.getView()), IntRect({0, 0}, {800, 600}));
}

TEST(ViewTest, AFixedViewStretchesOverALargerTarget)
{
    // A court of 800 x 600 shown in a window resized to 1600 x 1200.
    SizedTarget target({1600, 1200});
    target.setView(View({400.f, 300.f}, {800.f, 600.f}));
    expectNear(target.mapPixelToCoords({800, 600}), {400.f, 300.f});
    expectNear(target.mapPixelToCoords({1600, 0}), {800.f, 0.f});
    EXPECT_EQ(target.mapCoordsToPixel({200.f, 150.f}), Vector2i(400, 300));
    // The default view keeps following the target, not the view set.
    expectNear(target.mapPixelToCoords({800, 600}, target.getDefaultView()), {800.f, 600.f});
}

TEST(ViewTest, RotationAndZoom)
{
    SizedTarget target({100, 100});
    View view({0.f, 0.f}, {100.f, 100.f});
    view.setRotation(degrees(90.f));
    target.setView(view);
    // With the camera turned a quarter clockwise, the world turns a quarter the other way:
    // its +y shows on the right and its +x at the top.
    expectNear(target.mapPixelToCoords({100, 50}), {0.f, 50.f});
    expectNear(target.mapPixelToCoords({50, 0}), {50.f, 0.f});
    for (const Vector2i p : {Vector2i(10, 20), Vector2i(73, 91)})
    {
        // The world point at the pixel's centre maps back to the pixel.
        const Vector2f centre = (target.mapPixelToCoords(p) + target.mapPixelToCoords(p + Vector2i(1, 1))) / 2.f;
        EXPECT_EQ(target.mapCoordsToPixel(centre), p);
    }

    view.setRotation(Angle::Zero);
    view.zoom(2.f);
    target.setView(view);
    expectNear(target.mapPixelToCoords({100, 100}), {100.f, 100.f});
}

TEST(ViewTest, ViewportSelectsAPartOfTheTarget)
{
    SizedTarget target({200, 100});
    View view(FloatRect({0.f, 0.f}, {50.f, 50.f}));
    view.setViewport(FloatRect({0.5f, 0.f}, {0.5f, 1.f}));
    target.setView(view);
    EXPECT_EQ(target.getViewport(view), IntRect({100, 0}, {100, 100}));
    expectNear(target.mapPixelToCoords({100, 0}), {0.f, 0.f});
    expectNear(target.mapPixelToCoords({200, 100}), {50.f, 50.f});
    EXPECT_EQ(target.mapCoordsToPixel({25.f, 25.f}), Vector2i(150, 50));
}

TEST(ViewTest, RotationIsKeptWithinOneTurn)
{
    View view({0.f, 0.f}, {100.f, 100.f});
    view.setRotation(degrees(-90.f));
    EXPECT_FLOAT_EQ(view.getRotation().asDegrees(), 270.f);
    view.rotate(degrees(500.f));
    EXPECT_FLOAT_EQ(view.getRotation().asDegrees(), 50.f);
    view.setRotation(degrees(-1e-6f));
    EXPECT_GE(view.getRotation().asDegrees(), 0.f);
    EXPECT_LT(view.getRotation().asDegrees(), 360.f);
}

TEST(ViewTest, ChangesAfterAFirstUseArePickedUp)
{
    View view({0.f, 0.f}, {100.f, 100.f});
    expectNear(view.getTransform().transformPoint({50.f, 50.f}), {1.f, -1.f});
    expectNear(view.getInverseTransform().transformPoint({1.f, -1.f}), {50.f, 50.f});

    // Each change is seen by the next read of either transform, whichever is read first.
    view.setCenter({50.f, 50.f});
    expectNear(view.getInverseTransform().transformPoint({1.f, -1.f}), {100.f, 100.f});
    expectNear(view.getTransform().transformPoint({100.f, 100.f}), {1.f, -1.f});

    view.setSize({200.f, 200.f});
    expectNear(view.getTransform().transformPoint({150.f, 150.f}), {1.f, -1.f});
    expectNear(view.getInverseTransform().transformPoint({1.f, -1.f}), {150.f, 150.f});

    view.setRotation(degrees(90.f));
    expectNear(view.getInverseTransform().transformPoint({1.f, 0.f}), {50.f, 150.f});

    view.reset(FloatRect({0.f, 0.f}, {10.f, 10.f}));
    expectNear(view.getTransform().transformPoint({10.f, 10.f}), {1.f, -1.f});
    expectNear(view.getInverseTransform().transformPoint({-1.f, 1.f}), {0.f, 0.f});
}
