#include "effects/Motion.h"

#include <gtest/gtest.h>

namespace {

TEST(Motion, CosineInterpolateFollowsTheHalfCosineUnclamped) {
    struct Case {
        float t;
        D3DVECTOR expected;
    };
    const Case cases[] = {
        {0.0f, {0.0f, 0.0f, 0.0f}},  {0.25f, {0.2928932f, 0.5857864f, -0.8786797f}},
        {0.5f, {1.0f, 2.0f, -3.0f}}, {1.0f, {2.0f, 4.0f, -6.0f}},
        {2.0f, {0.0f, 0.0f, 0.0f}},  {-0.5f, {1.0f, 2.0f, -3.0f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        D3DVECTOR out;
        CosineInterpolate(out, 0.0f, 0.0f, 0.0f, 2.0f, 4.0f, -6.0f, c.t);
        EXPECT_NEAR(out.x, c.expected.x, 1e-6f);
        EXPECT_NEAR(out.y, c.expected.y, 1e-6f);
        EXPECT_NEAR(out.z, c.expected.z, 1e-6f);
    }

    // The ends are hit exactly, also when the output is the start vector itself.
    D3DVECTOR point{-1.5f, 3.0f, 7.25f};
    CosineInterpolate(point, point, {4.0f, -2.0f, 0.5f}, 1.0f);
    EXPECT_EQ(point.x, 4.0f);
    EXPECT_EQ(point.y, -2.0f);
    EXPECT_EQ(point.z, 0.5f);
}

TEST(Motion, YawSpinsACameraAroundTheVerticalAxis) {
    D3DMATRIX spin;
    RotationYawPitchRoll(spin, 3.1415927f / 2.0f, 0.0f, 0.0f);
    D3DVECTOR eye{0.0f, 1.0f, -4.0f};
    TransformNormal(eye, eye, spin);
    EXPECT_NEAR(eye.x, -4.0f, 1e-5f);
    EXPECT_NEAR(eye.y, 1.0f, 1e-6f);
    EXPECT_NEAR(eye.z, 0.0f, 1e-5f);
}

} // namespace
