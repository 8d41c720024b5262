#include "tools/content/Image.h"

#include <algorithm>
#include <cmath>

namespace content {

Rgb Mix(Rgb a, Rgb b, float t) {
    return a + (b - a) * t;
}

Rgb Hex(std::uint32_t rgb) {
    return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f,
            static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
            static_cast<float>(rgb & 0xFF) / 255.0f};
}

static int WrapIndex(int i, int n) {
    int m = i % n;
    return m < 0 ? m + n : m;
}

Plane::Plane(int w, int h, float fill)
    : width(w), height(h), values(static_cast<size_t>(w) * h, fill) {}

float Plane::Wrapped(int x, int y) const {
    return At(WrapIndex(x, width), WrapIndex(y, height));
}

Image::Image(int w, int h, Rgb fill)
    : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

Rgb Image::Wrapped(int x, int y) const {
    return At(WrapIndex(x, width), WrapIndex(y, height));
}

static std::uint8_t ToByte(float v) {
    float c = std::clamp(v, 0.0f, 1.0f);
    return static_cast<std::uint8_t>(std::lround(c * 255.0f));
}

std::vector<std::uint8_t> Image::ToRgb8() const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(pixels.size() * 3);
    for (const Rgb& p : pixels) {
        bytes.push_back(ToByte(p.r));
        bytes.push_back(ToByte(p.g));
        bytes.push_back(ToByte(p.b));
    }
    return bytes;
}

// One box pass along rows (step 1) or columns (step = width), with a running sum.
static void BoxPass(const std::vector<float>& src, std::vector<float>& dst, int count, int lines,
                    int along, int across, int radius, bool wrap) {
    const float scale = 1.0f / static_cast<float>(2 * radius + 1);
    for (int line = 0; line < lines; ++line) {
        auto at = [&](int i) -> float {
            if (wrap) {
                i = WrapIndex(i, count);
            } else if (i < 0 || i >= count) {
                return 0.0f;
            }
            return src[static_cast<size_t>(line) * across + static_cast<size_t>(i) * along];
        };
        float sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            sum += at(i);
        }
        for (int i = 0; i < count; ++i) {
            dst[static_cast<size_t>(line) * across + static_cast<size_t>(i) * along] = sum * scale;
            sum += at(i + radius + 1) - at(i - radius);
        }
    }
}

Plane Blur(const Plane& plane, int radius, bool wrap) {
    if (radius <= 0) {
        return plane;
    }
    Plane result = plane;
    std::vector<float> tmp(plane.values.size());
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(result.values, tmp, plane.width, plane.height, 1, plane.width, radius, wrap);
        BoxPass(tmp, result.values, plane.height, plane.width, plane.width, 1, radius, wrap);
    }
    return result;
}

void AddLight(Image& image, const Plane& plane, Rgb colour) {
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = image.pixels[i] + colour * plane.values[i];
    }
}

float SoftClip(float x) {
    return x <= 0 ? 0.0f : 1.0f - std::exp(-x);
}

float Smoothstep(float edge0, float edge1, float x) {
    float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float Clamp01(float x) {
    return std::clamp(x, 0.0f, 1.0f);
}

} // namespace content
