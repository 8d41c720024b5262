#include "tools/content/Noise.h"

#include <cmath>

namespace content {

std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h ^ (h >> 15)) * 0x2C1B3C6Du;
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h = (h ^ (h >> 13)) * 0x297A2D39u;
    h ^= h >> 16;
    return h;
}

std::uint64_t Random::Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Random::Unit() {
    return static_cast<float>(Next() >> 40) / 16777216.0f;
}

float Random::Range(float low, float high) {
    return low + (high - low) * Unit();
}

int Random::Below(int n) {
    return static_cast<int>(Next() % static_cast<std::uint64_t>(n));
}

static int Wrap(int i, int period) {
    int m = i % period;
    return m < 0 ? m + period : m;
}

static float Fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

static float GradientDot(int ix, int iy, float dx, float dy, int period, std::uint32_t seed) {
    std::uint32_t h = Hash(Wrap(ix, period), Wrap(iy, period), seed);
    // 16 evenly spread unit directions.
    float angle = static_cast<float>(h & 15u) * (6.2831853f / 16.0f);
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

float Gradient(float x, float y, int period, std::uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float dx = x - fx, dy = y - fy;
    float n00 = GradientDot(ix, iy, dx, dy, period, seed);
    float n10 = GradientDot(ix + 1, iy, dx - 1, dy, period, seed);
    float n01 = GradientDot(ix, iy + 1, dx, dy - 1, period, seed);
    float n11 = GradientDot(ix + 1, iy + 1, dx - 1, dy - 1, period, seed);
    float u = Fade(dx), v = Fade(dy);
    float a = n00 + (n10 - n00) * u;
    float b = n01 + (n11 - n01) * u;
    return 1.41421356f * (a + (b - a) * v);
}

float Fbm(float x, float y, int period, int octaves, float gain, std::uint32_t seed) {
    float sum = 0, amplitude = 1, norm = 0;
    for (int k = 0; k < octaves; ++k) {
        sum += amplitude * Gradient(x, y, period, seed + static_cast<std::uint32_t>(k) * 7919u);
        norm += amplitude;
        amplitude *= gain;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return sum / norm;
}

float Ridged(float x, float y, int period, int octaves, float gain, std::uint32_t seed) {
    float sum = 0, amplitude = 1, norm = 0;
    for (int k = 0; k < octaves; ++k) {
        float n = 1.0f -
                  std::fabs(Gradient(x, y, period, seed + static_cast<std::uint32_t>(k) * 104729u));
        sum += amplitude * n * n;
        norm += amplitude;
        amplitude *= gain;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return sum / norm;
}

CellDistances Cellular(float x, float y, int period, std::uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    CellDistances result{1e9f, 1e9f, 0};
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            std::uint32_t h = Hash(Wrap(ix + i, period), Wrap(iy + j, period), seed);
            float px = static_cast<float>(ix + i) + static_cast<float>(h & 0xFFFFu) / 65536.0f;
            float py = static_cast<float>(iy + j) + static_cast<float>(h >> 16) / 65536.0f;
            float d = std::hypot(px - x, py - y);
            if (d < result.nearest) {
                result.second = result.nearest;
                result.nearest = d;
                result.id = h;
            } else if (d < result.second) {
                result.second = d;
            }
        }
    }
    return result;
}

} // namespace content
