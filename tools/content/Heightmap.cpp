#include "tools/content/Heightmap.h"

#include "tools/content/Image.h"
#include "tools/content/Noise.h"

#include <algorithm>
#include <cmath>

namespace content {

float ScapeHeight(std::int8_t sample) {
    return 1.0f - static_cast<float>(sample) / kScapeDivisor;
}

// The landscape turns about the vertical axis under a camera that flies within 12 units of
// the centre at heights 0 to 2 and mostly looks a little downwards, with the far plane at 50.
// Ground 8 to 20 units under it lets the view's upper part pass over the land into the sky
// (where the particle clouds are); the water sheet (y -13.45) floods the valleys into lakes
// with islands, and the rim stays below y -3 so it never closes the horizon. The light runs
// horizontally, so flat ground gets only ambient light: the hills are steep enough to catch
// it wherever they face it, but never rise more than 1.25 per grid step.
std::vector<std::int8_t> MakeScape() {
    std::vector<float> heights;
    heights.reserve(kScapeSize * kScapeSize);
    for (int row = 0; row < kScapeSize; ++row) {
        for (int col = 0; col < kScapeSize; ++col) {
            float x = static_cast<float>(col - kScapeSize / 2);
            float z = static_cast<float>(row - kScapeSize / 2);
            float r = std::hypot(x, z);
            float hills = Fbm(x / 16.0f, z / 16.0f, 1 << 10, 4, 0.5f, 9001);
            float detail = Fbm(x / 6.0f + 5.0f, z / 6.0f, 1 << 10, 3, 0.5f, 9007);
            float y = -13.1f + 9.0f * hills + 3.0f * detail;
            float rim = Smoothstep(18.0f, 31.0f, r);
            y += rim * (-5.0f + 1.5f * hills - y);
            heights.push_back(std::clamp(y, -20.0f, -3.5f));
        }
    }
    // Relax the steepest steps, moving both ends towards each other, until none rises more
    // than 1.25 per grid step.
    const float limit = 1.25f;
    for (int pass = 0; pass < 50; ++pass) {
        for (int row = 0; row < kScapeSize; ++row) {
            for (int col = 0; col < kScapeSize; ++col) {
                float& a = heights[static_cast<std::size_t>(row * kScapeSize + col)];
                for (int k = 0; k < 2; ++k) {
                    if ((k == 0 ? col : row) + 1 >= kScapeSize) {
                        continue;
                    }
                    float& b = heights[static_cast<std::size_t>(row * kScapeSize + col) +
                                       (k == 0 ? 1 : kScapeSize)];
                    const float excess = std::fabs(b - a) - limit;
                    if (excess > 0) {
                        const float shift = std::copysign(excess / 2, b - a);
                        a += shift;
                        b -= shift;
                    }
                }
            }
        }
    }
    std::vector<std::int8_t> samples;
    samples.reserve(heights.size());
    for (float y : heights) {
        float s = std::round((1.0f - y) * kScapeDivisor);
        samples.push_back(static_cast<std::int8_t>(std::clamp(s, -128.0f, 127.0f)));
    }
    return samples;
}

} // namespace content
