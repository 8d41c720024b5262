#include "tools/content/Heightmap.h"

#include "tools/content/Image.h"
#include "tools/content/Noise.h"

#include <algorithm>
#include <cmath>

namespace content {

float ScapeHeight(std::int8_t sample) { return 1.0f - static_cast<float>(sample) / kScapeDivisor; }

// The landscape turns about the vertical axis under a camera that flies within 12 units of
// the centre at heights 0 to 2, so the height is shaped by the distance from the centre: a
// basin at y -3 to -10 with lakes below the water sheet (y -13.45), ridges rising to about
// +5 towards the rim.
std::vector<std::int8_t> MakeScape() {
    std::vector<std::int8_t> samples;
    samples.reserve(kScapeSize * kScapeSize);
    for (int row = 0; row < kScapeSize; ++row) {
        for (int col = 0; col < kScapeSize; ++col) {
            float x = static_cast<float>(col - kScapeSize / 2);
            float z = static_cast<float>(row - kScapeSize / 2);
            float r = std::hypot(x, z);
            float rolling = Fbm(x / 18.0f, z / 18.0f, 1 << 10, 5, 0.5f, 9001);
            float basins = Smoothstep(0.0f, 0.35f, Fbm(x / 11.0f + 3.0f, z / 11.0f, 1 << 10, 3, 0.5f, 9007));
            float crests = Ridged(x / 14.0f, z / 14.0f, 1 << 10, 4, 0.5f, 9011);
            float rim = Smoothstep(11.0f, 30.0f, r);
            float y = -6.0f + 3.0f * rolling - 9.5f * basins * (1.0f - rim);
            y += rim * (7.0f + 4.0f * crests);
            if (y > 4.0f) {
                y = 4.0f + (y - 4.0f) * 0.4f; // rounded summits
            }
            if (r < 13.0f) {
                y = std::min(y, -2.5f); // always well below the flying camera
            }
            float s = std::round((1.0f - y) * kScapeDivisor);
            samples.push_back(static_cast<std::int8_t>(std::clamp(s, -128.0f, 127.0f)));
        }
    }
    return samples;
}

} // namespace content
