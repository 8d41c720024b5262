#include "tools/content/Noise.h"
#include "tools/content/Image.h"

#include <gtest/gtest.h>

using namespace content;

// Seamless textures rely on the noise repeating exactly after its period, at every octave.
TEST(Noise, RepeatsAfterItsPeriodInBothDirections) {
    for (float x : {0.13f, 1.7f, 3.99f}) {
        for (float y : {0.0f, 2.25f, 3.5f}) {
            EXPECT_NEAR(Gradient(x, y, 4, 7), Gradient(x + 4, y, 4, 7), 1e-5f);
            EXPECT_NEAR(Gradient(x, y, 4, 7), Gradient(x, y - 4, 4, 7), 1e-5f);
            EXPECT_NEAR(Fbm(x, y, 4, 5, 0.5f, 3), Fbm(x + 4, y + 4, 4, 5, 0.5f, 3), 1e-5f);
            EXPECT_NEAR(Cellular(x, y, 4, 9).nearest, Cellular(x + 4, y, 4, 9).nearest, 1e-5f);
        }
    }
}

TEST(Noise, StaysInItsRangeAndDependsOnTheSeed) {
    float low = 0, high = 0;
    int differing = 0;
    for (int i = 0; i < 2000; ++i) {
        const float x = static_cast<float>(i) * 0.037f, y = static_cast<float>(i % 37) * 0.11f;
        const float a = Fbm(x, y, 64, 5, 0.5f, 1);
        low = std::min(low, a);
        high = std::max(high, a);
        differing += a != Fbm(x, y, 64, 5, 0.5f, 2);
    }
    EXPECT_GE(low, -1.5f);
    EXPECT_LE(high, 1.5f);
    EXPECT_LT(low, -0.3f);
    EXPECT_GT(high, 0.3f);
    EXPECT_GT(differing, 1900);
}

TEST(Blur, KeepsTheTotalWhenWrappingAndSpreadsAPoint) {
    Plane plane(16, 8);
    plane.At(0, 0) = 1.0f;
    const Plane blurred = Blur(plane, 2, true);
    float total = 0;
    for (float v : blurred.values) {
        total += v;
    }
    EXPECT_NEAR(total, 1.0f, 1e-5f);
    EXPECT_GT(blurred.At(15, 7), 0.0f); // wrapped to the far corner
    EXPECT_LT(blurred.At(0, 0), 0.5f);
}
