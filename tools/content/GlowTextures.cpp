#include "tools/content/Textures.h"

#include <cmath>

namespace content {

namespace {

float F(int i) {
    return static_cast<float>(i);
}

// Radial falloff that reaches exactly 0 at radius 1 (the sprite's inscribed circle), so the
// square's edges never show.
float Falloff(float r, float sharpness) {
    if (r >= 1.0f) {
        return 0.0f;
    }
    float edge = 1.0f - r * r;
    return std::exp(-r * r * sharpness) * edge * edge;
}

template <typename Shade> Image Sprite(int size, Shade shade) {
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (F(x) + 0.5f) / F(size), v = (F(y) + 0.5f) / F(size);
            image.At(x, y) = shade(u, v);
        }
    }
    return image;
}

} // namespace

Image MakeGlow() {
    return Sprite(64, [](float u, float v) {
        float r = std::hypot(u - 0.5f, v - 0.5f) * 2;
        float glow = Falloff(r, 4.0f) * 0.75f + Falloff(r * 3.0f, 2.0f) * 0.5f;
        return Hex(0x9FC8FF) * glow + Hex(0xFFFFFF) * (Falloff(r * 5.0f, 1.0f) * 0.4f);
    });
}

Image MakeSpike() {
    // The renderer pins the corner with texture coordinate (1, 0) far away, so the spike runs
    // along the diagonal from (0, 1) to (1, 0): a bright needle there, and a soft round core.
    return Sprite(64, [](float u, float v) {
        float cx = u - 0.5f, cy = v - 0.5f;
        float r = std::hypot(cx, cy) * 2;
        float along = (cx - cy) * 0.70710678f;  // position along the needle, -0.7..0.7
        float across = (cx + cy) * 0.70710678f; // distance from the needle's axis
        float needle =
            std::exp(-across * across / 0.0012f) * Falloff(std::fabs(along) * 1.42f, 0.5f);
        float core = Falloff(r, 10.0f);
        // Thousands of spikes overlap three times over: keep each one faint and coloured so
        // the sum stays blue instead of burning to white.
        return Hex(0x3A8CFF) * (needle * 0.45f + core * 0.3f) +
               Hex(0xFFFFFF) * (Falloff(r * 4, 1.0f) * 0.2f);
    });
}

Image MakeWhiteDot() {
    // Broad and full: the white cloud's particles are drawn small and dim, so each lights
    // its whole sprite.
    return Sprite(64, [](float u, float v) {
        float r = std::hypot(u - 0.5f, v - 0.5f) * 2;
        float glow = std::min(1.0f, 1.6f * Falloff(r, 0.8f));
        return Rgb{glow, glow, glow};
    });
}

Image MakeBlackDot() {
    // Multiplies what lies behind: white keeps it, the dark middle takes it away.
    return Sprite(64, [](float u, float v) {
        float r = std::hypot(u - 0.5f, v - 0.5f) * 2;
        float shade = 1.0f - 0.92f * Falloff(r, 3.0f);
        return Rgb{shade, shade, shade};
    });
}

} // namespace content
