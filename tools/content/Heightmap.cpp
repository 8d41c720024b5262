#include "tools/content/Heightmap.h"

#include "tools/content/Image.h"
#include "tools/content/Noise.h"

#include <algorithm>
#include <cmath>

namespace content {

float ScapeHeight(std::int8_t sample) { return 1.0f - static_cast<float>(sample) / kScapeDivisor; }

// The landscape turns about the vertical axis under a camera that flies within 12 units of
// the centre at heights 0 to 2 and mostly looks a little downwards, with the far plane at 50.
// Ground 8 to 20 units under it lets the view's upper part pass over the land into the sky
// (where the particle clouds are); the water sheet (y -13.45) floods the valleys into lakes
// with islands, and the rim stays below y -3 so it never closes the horizon. The light runs
// horizontally, so flat ground gets only ambient light: slopes are kept moderate, below a
// unit of height per grid step, and lit wherever they face the light.
std::vector<std::int8_t> MakeScape() {
    std::vector<std::int8_t> samples;
    samples.reserve(kScapeSize * kScapeSize);
    for (int row = 0; row < kScapeSize; ++row) {
        for (int col = 0; col < kScapeSize; ++col) {
            float x = static_cast<float>(col - kScapeSize / 2);
            float z = static_cast<float>(row - kScapeSize / 2);
            float r = std::hypot(x, z);
            float hills = Fbm(x / 16.0f, z / 16.0f, 1 << 10, 4, 0.5f, 9001);
            float detail = Fbm(x / 7.0f + 5.0f, z / 7.0f, 1 << 10, 3, 0.5f, 9007);
            float y = -12.5f + 5.5f * hills + 1.5f * detail;
            float rim = Smoothstep(18.0f, 31.0f, r);
            y += rim * (-5.0f + 1.5f * hills - y);
            y = std::clamp(y, -21.0f, -3.5f);
            float s = std::round((1.0f - y) * kScapeDivisor);
            samples.push_back(static_cast<std::int8_t>(std::clamp(s, -128.0f, 127.0f)));
        }
    }
    return samples;
}

} // namespace content
