#include <mivra/Graphics/Transform.hpp>
#include <mivra/Graphics/Transformable.hpp>

#include <gtest/gtest.h>

using namespace mivra;

namespace
{
void expectNear(Vector2f actual, Vector2f expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}
} // namespace

TEST(TransformTest, CompositionAppliesTheRightOperandFirst)
{
    // translate then rotate: a point is rotated about the origin first, then moved.
    Transform t;
    t.translate({10.f, 5.f}).rotate(degrees(90.f));
    expectNear(t.transformPoint({1.f, 0.f}), {10.f, 6.f});

    Transform move;
    move.translate({10.f, 5.f});
    Transform turn;
    turn.rotate(degrees(90.f));
    expectNear((move * turn).transformPoint({1.f, 0.f}), {10.f, 6.f});
    expectNear((turn * move).transformPoint({1.f, 0.f}), {-5.f, 11.f});

    Transform scaled;
    scaled.scale({2.f, 3.f}).translate({1.f, 1.f});
    expectNear(scaled * Vector2f(0.f, 0.f), {2.f, 3.f});
}

TEST(TransformTest, RotationAndScaleAboutACentre)
{
    Transform half;
    half.rotate(degrees(180.f), {5.f, 5.f});
    expectNear(half.transformPoint({0.f, 0.f}), {10.f, 10.f});
    expectNear(half.transformPoint({5.f, 5.f}), {5.f, 5.f});

    Transform zoom;
    zoom.scale({2.f, 2.f}, {10.f, 10.f});
    expectNear(zoom.transformPoint({10.f, 10.f}), {10.f, 10.f});
    expectNear(zoom.transformPoint({11.f, 12.f}), {12.f, 14.f});
}

TEST(TransformTest, InverseUndoesAComposite)
{
    Transform t;
    t.translate({-30.f, 7.5f}).rotate(degrees(33.f)).scale({2.f, 0.5f}).translate({4.f, -2.f});
    const Transform inverse = t.getInverse();
    for (const Vector2f p : {Vector2f(0.f, 0.f), Vector2f(12.f, -8.f), Vector2f(-100.f, 250.f)})
        expectNear(inverse.transformPoint(t.transformPoint(p)), p, 1e-3f);
    const Transform both = t * inverse;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(both.getMatrix()[i], Transform::Identity.getMatrix()[i], 1e-5f) << "element " << i;

    // A matrix that squashes everything onto a line has no inverse: the identity comes back.
    Transform flat;
    flat.scale({0.f, 1.f});
    EXPECT_EQ(flat.getInverse(), Transform::Identity);
}

TEST(TransformTest, TransformRectGivesTheBoundingBox)
{
    Transform t;
    t.rotate(degrees(90.f));
    const FloatRect r = t.transformRect({{0.f, 0.f}, {10.f, 20.f}});
    EXPECT_NEAR(r.position.x, -20.f, 1e-4f);
    EXPECT_NEAR(r.position.y, 0.f, 1e-4f);
    EXPECT_NEAR(r.size.x, 20.f, 1e-4f);
    EXPECT_NEAR(r.size.y, 10.f, 1e-4f);
}

TEST(TransformTest, MatrixIsColumnMajorForOpenGl)
{
    Transform t;
    t.translate({3.f, 4.f});
    EXPECT_EQ(t.getMatrix()[12], 3.f);
    EXPECT_EQ(t.getMatrix()[13], 4.f);
    EXPECT_EQ(t.getMatrix()[15], 1.f);
    EXPECT_EQ(t.getMatrix()[10], 1.f);
}

TEST(TransformableTest, OriginPositionRotationAndScale)
{
    Transformable object;
    object.setOrigin({5.f, 5.f});
    object.setPosition({100.f, 100.f});
    object.setRotation(degrees(90.f));
    object.setScale({2.f, 2.f});
    // The origin lands on the position; local +x turns to screen +y and is doubled.
    expectNear(object.getTransform().transformPoint({5.f, 5.f}), {100.f, 100.f});
    expectNear(object.getTransform().transformPoint({6.f, 5.f}), {100.f, 102.f});
    expectNear(object.getInverseTransform().transformPoint({100.f, 102.f}), {6.f, 5.f});

    // Changes after a first use are picked up.
    object.move({1.f, 0.f});
    expectNear(object.getTransform().transformPoint({5.f, 5.f}), {101.f, 100.f});
    expectNear(object.getInverseTransform().transformPoint({101.f, 100.f}), {5.f, 5.f});

    // Also when the inverse is the first thing read after a change.
    object.setScale({1.f, 1.f});
    expectNear(object.getInverseTransform().transformPoint({101.f, 101.f}), {6.f, 5.f});
    expectNear(object.getTransform().transformPoint({6.f, 5.f}), {101.f, 101.f});
}

TEST(TransformableTest, RotationIsKeptWithinOneTurn)
{
    Transformable object;
    object.setRotation(degrees(-90.f));
    EXPECT_FLOAT_EQ(object.getRotation().asDegrees(), 270.f);
    object.setRotation(degrees(720.f));
    EXPECT_FLOAT_EQ(object.getRotation().asDegrees(), 0.f);
    object.rotate(degrees(400.f));
    EXPECT_FLOAT_EQ(object.getRotation().asDegrees(), 40.f);
    object.setRotation(degrees(-1e-6f));
    EXPECT_LT(object.getRotation().asDegrees(), 360.f);
}
