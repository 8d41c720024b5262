#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace content {

// Linear colour, each channel nominally 0..1 (values outside are clamped when encoded).
struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator-(Rgb a, Rgb b) {
    return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Rgb operator*(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}
Rgb Mix(Rgb a, Rgb b, float t);
// Colour from 0xRRGGBB.
Rgb Hex(std::uint32_t rgb);

// A single-channel float picture (coverage, height, glow), row-major, y grows downwards.
struct Plane {
    int width = 0, height = 0;
    std::vector<float> values;

    Plane() = default;
    Plane(int w, int h, float fill = 0.0f);
    float& At(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
    float At(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
    // Coordinates outside the plane wrap around (for seamless pictures).
    float Wrapped(int x, int y) const;
};

// An RGB picture, row-major, y grows downwards, (0, 0) is the top-left pixel.
struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;

    Image() = default;
    Image(int w, int h, Rgb fill = {});
    Rgb& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Rgb Wrapped(int x, int y) const;

    // 8-bit R, G, B per pixel, top row first, clamped and rounded.
    std::vector<std::uint8_t> ToRgb8() const;
};

// Gaussian-like blur (three box passes of the given radius); wrap = treat the plane as a torus,
// otherwise the outside counts as 0.
Plane Blur(const Plane& plane, int radius, bool wrap);
// Adds colour × plane into the image (additive light), plane and image of the same size.
void AddLight(Image& image, const Plane& plane, Rgb colour);
// Soft highlight curve: maps 0..inf to 0..1 without a hard clip.
float SoftClip(float x);
float Smoothstep(float edge0, float edge1, float x);
float Clamp01(float x);

} // namespace content
