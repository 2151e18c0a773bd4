#include <mivra/System/Angle.hpp>

#include <gtest/gtest.h>

using namespace mivra;

TEST(AngleTest, DegreesAndRadiansAgree)
{
    EXPECT_FLOAT_EQ(degrees(180.f).asRadians(), Angle::Pi);
    EXPECT_NEAR(radians(Angle::Pi / 2.f).asDegrees(), 90.f, 1e-4f);
    EXPECT_EQ(degrees(60.f) + degrees(120.f), degrees(180.f));
    EXPECT_EQ(Angle::Zero.asDegrees(), 0.f);
}
