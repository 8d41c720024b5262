#include "tools/content/Noise.h"
#include "tools/content/Textures.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {

constexpr float kTau = 6.2831853f;

float F(int i) {
    return static_cast<float>(i);
}

// Colour ramp through evenly spaced stops, t in 0..1.
template <size_t N> Rgb Ramp(const Rgb (&stops)[N], float t) {
    float p = Clamp01(t) * F(static_cast<int>(N) - 1);
    int i = std::min(static_cast<int>(p), static_cast<int>(N) - 2);
    return Mix(stops[i], stops[i + 1], p - F(i));
}

struct MarbleStyle {
    Rgb deep, body, vein;
    int waveX, waveY; // whole sine periods across the tile, so the stripes stay seamless
    float turbulence;
    std::uint32_t seed;
};

} // namespace

Image MakeMarble(int colour) {
    static const MarbleStyle styles[4] = {
        {Hex(0x3A0208), Hex(0xB3122A), Hex(0xFFC2C8), 1, 2, 2.6f, 11},
        {Hex(0x020B3A), Hex(0x1646C8), Hex(0xC4E6FF), 2, 1, 2.9f, 23},
        {Hex(0x012A16), Hex(0x0E9A5A), Hex(0xD2FFE6), 1, -2, 2.4f, 37},
        {Hex(0x3A1A00), Hex(0xE08A10), Hex(0xFFF0C0), 2, 2, 2.2f, 41},
    };
    const MarbleStyle& s = styles[std::clamp(colour, 1, 4) - 1];
    const int size = 64;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (F(x) + 0.5f) / F(size), v = (F(y) + 0.5f) / F(size);
            float turb = Fbm(u * 4, v * 4, 4, 4, 0.55f, s.seed);
            float phase = kTau * (F(s.waveX) * u + F(s.waveY) * v) + s.turbulence * turb;
            float band = std::fabs(std::sin(phase));
            float vein = std::pow(1.0f - band, 6.0f);
            float fine = std::pow(1.0f - std::fabs(std::sin(phase * 2 + 3 * turb)), 12.0f);
            float cloud = 0.5f + 0.5f * Fbm(u * 8, v * 8, 8, 3, 0.5f, s.seed + 5);
            Rgb base = Mix(s.deep, s.body, 0.35f + 0.65f * cloud);
            Rgb c = Mix(base, s.vein, std::min(1.0f, vein * 0.9f + fine * 0.35f));
            // Each colour has its own pattern too, drawn dark so that the marble's bright
            // light does not wash it out. The marble maps the texture by position around its
            // corner (0, 0), a third of it across: red stays plain, blue gets three stripes,
            // green a ring, orange a cross.
            const float cu = u * 3 - std::floor(u * 3) - 0.5f,
                        cv = v * 3 - std::floor(v * 3) - 0.5f;
            const Rgb dark = s.deep * 0.25f;
            if (colour == 2) {
                c = Mix(c, dark, 0.9f * Smoothstep(0.0f, 0.3f, std::cos(kTau * 6 * u)));
            } else if (colour == 3) {
                const float su = cu + (cu < 0 ? 0.5f : -0.5f), sv = cv + (cv < 0 ? 0.5f : -0.5f);
                c = Mix(c, dark,
                        0.9f * Smoothstep(0.14f, 0.1f, std::fabs(std::hypot(su, sv) - 0.28f)));
            } else if (colour == 4) {
                c = Mix(c, dark,
                        0.95f * Smoothstep(0.32f, 0.38f, std::max(std::fabs(cu), std::fabs(cv))));
            }
            image.At(x, y) = c;
        }
    }
    return image;
}

Image MakeCloud() {
    // Some 250 huge triangles carry this texture, lit and added on top of each other (dozens
    // deep in the middle of the view), so it is mostly black with thin bright wisps: the sum
    // then reads as layered cloud rather than a white screen, and its middle stays dark enough
    // for the farewell banner, added over it, to read word for word.
    const int size = 128;
    Image image(size, size);
    static const Rgb ramp[] = {Hex(0x000000), Hex(0x0A0C24), Hex(0x2A2A6A), Hex(0x8A86D0),
                               Hex(0xE8E4FF)};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (F(x) + 0.5f) / F(size), v = (F(y) + 0.5f) / F(size);
            float warp = Fbm(u * 3, v * 3, 3, 3, 0.5f, 91);
            float n = Fbm(u * 4 + warp * 0.6f, v * 4 - warp * 0.6f, 4, 6, 0.55f, 97);
            // The warp moves samples by a fraction of a cell; sampling stays on the 4-cell
            // period because the warp itself is periodic, so the tile is still seamless.
            float wisp = Smoothstep(-0.1f, 0.45f, n);
            image.At(x, y) = Ramp(ramp, wisp * wisp) * 0.1f;
        }
    }
    return image;
}

Image MakeChessboard() {
    const int size = 256, squares = 16;
    const float cell = F(size) / F(squares);
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int cx = x / static_cast<int>(cell), cy = y / static_cast<int>(cell);
            bool light = ((cx + cy) & 1) == 0;
            float fx = std::fmod(F(x) + 0.5f, cell) / cell,
                  fy = std::fmod(F(y) + 0.5f, cell) / cell;
            float edge = std::min(std::min(fx, 1 - fx), std::min(fy, 1 - fy)); // 0 at the rim
            float u = (F(x) + 0.5f) / F(size), v = (F(y) + 0.5f) / F(size);
            float swirl = Fbm(u * 6, v * 6, 6, 4, 0.5f, light ? 201u : 202u);
            float vein =
                std::pow(1.0f - std::fabs(std::sin(kTau * (u * 3 + v * 2) + 4 * swirl)), 9.0f);
            Rgb c = light ? Mix(Hex(0xE9E2D2), Hex(0xFFFFFF), 0.5f + 0.5f * swirl)
                          : Mix(Hex(0x0C0C12), Hex(0x2A2A36), 0.5f + 0.5f * swirl);
            c = Mix(c, light ? Hex(0x9A8F80) : Hex(0x6A6A88), vein * 0.6f);
            // Bevel: a bright top-left rim and a dark bottom-right rim on each square.
            float bevel = Smoothstep(0.0f, 0.06f, edge);
            float lit = (fx < 0.06f || fy < 0.06f) ? 1.25f : 0.7f;
            c = c * (bevel + (1 - bevel) * lit);
            image.At(x, y) = c;
        }
    }
    return image;
}

Image MakeBlobSkin() {
    const int size = 256, cells = 8;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (F(x) + 0.5f) / F(size), v = (F(y) + 0.5f) / F(size);
            float wobble = Fbm(u * 4, v * 4, 4, 3, 0.5f, 311) * 0.35f;
            CellDistances d = Cellular(u * F(cells) + wobble, v * F(cells) - wobble, cells, 313);
            float crevice = Smoothstep(0.0f, 0.22f, d.second - d.nearest);
            float dome = 1.0f - Smoothstep(0.0f, 0.75f, d.nearest);
            CellDistances small = Cellular(u * 32, v * 32, 32, 317);
            float pores = Smoothstep(0.18f, 0.05f, small.nearest);
            float hue = static_cast<float>(d.id & 255u) / 255.0f;
            Rgb cellColour = Mix(Hex(0xE0602A), Hex(0xF2B04A), hue);
            Rgb c = Mix(Hex(0x3A0612), cellColour, crevice);
            c = c * (0.55f + 0.6f * dome);
            c = Mix(c, Hex(0x5A0A1E), pores * 0.5f * crevice);
            float sheen = 0.5f + 0.5f * Fbm(u * 16, v * 16, 16, 2, 0.5f, 331);
            c = c + Hex(0x301020) * (sheen * crevice * 0.4f);
            image.At(x, y) = c;
        }
    }
    return image;
}

Image MakeToadstool() {
    const int size = 256, cells = 5;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (F(x) + 0.5f) / F(size), v = (F(y) + 0.5f) / F(size);
            float skin = 0.5f + 0.5f * Fbm(u * 6, v * 6, 6, 4, 0.55f, 401);
            Rgb c = Mix(Hex(0x5A0206), Hex(0xC0141C), skin);
            CellDistances d = Cellular(u * F(cells), v * F(cells), cells, 403);
            float radius = 0.16f + 0.12f * static_cast<float>((d.id >> 8) & 255u) / 255.0f;
            float spot = Smoothstep(radius, radius - 0.05f, d.nearest);
            float rough = 0.8f + 0.2f * Fbm(u * 24, v * 24, 24, 2, 0.5f, 407);
            c = Mix(c, Hex(0xF6D448) * rough, spot);
            float rim = Smoothstep(radius + 0.05f, radius, d.nearest) * (1 - spot);
            c = Mix(c, Hex(0x300004), rim * 0.6f);
            // Drawn three times additively, each lit by ambient and diffuse light: under a
            // sixth of white, and little blue in the spots, as each pass adds the light's blue
            // highlight too.
            image.At(x, y) = c * 0.12f;
        }
    }
    return image;
}

// Distance (in pattern cells) of a pixel to the nearest mirror line of a grid that repeats
// every `period` pixels, taking the texture's wrap-around at `size` into account, so that
// pixel 0 meets its mirror image at both ends.
static float MirrorCoordinate(int pixel, float period, int size) {
    float p = F(pixel) + 0.5f;
    float t = std::fmod(p, 2 * period);
    float inside = t < period ? t : 2 * period - t;
    float wrapped = F(size) - p; // distance to the seam, seen from the far edge
    return std::min(inside, wrapped) / period;
}

Image MakeLandTiles() {
    const int size = 256;
    const float period = 0.18f * F(size); // the 0.18 corner that every grid cell shows
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float s = MirrorCoordinate(x, period, size), t = MirrorCoordinate(y, period, size);
            // Mirrored cells turn the two halves of the corner into a diamond checker.
            float diagonal = s + t - 1.0f;
            bool white = diagonal < 0;
            float line = Smoothstep(0.04f, 0.0f, std::fabs(diagonal));
            float u = (F(x) + 0.5f) / F(size), v = (F(y) + 0.5f) / F(size);
            float grain = 0.5f + 0.5f * Fbm(u * 16, v * 16, 16, 3, 0.5f, 501);
            Rgb c = white ? Mix(Hex(0xE4E4E4), Hex(0xFFFFFC), grain)
                          : Mix(Hex(0x585860), Hex(0x74747C), grain);
            float inner = Smoothstep(0.0f, 0.08f, std::min(std::fabs(diagonal), 1.0f)) *
                          (0.85f + 0.15f * Smoothstep(0.5f, 0.1f, std::fabs(diagonal)));
            c = c * (0.8f + 0.2f * inner);
            c = Mix(c, Hex(0x7C7C84), line);
            image.At(x, y) = c;
        }
    }
    return image;
}

Image MakeWater() {
    const int size = 256;
    const float period = 0.18f * F(size);
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float s = MirrorCoordinate(x, period, size), t = MirrorCoordinate(y, period, size);
            // Caustic-like light: overlapping ripples that are symmetric about the cell edges.
            float a = std::cos(kTau * s * 1.0f) * std::cos(kTau * t * 1.0f);
            float b = std::cos(kTau * (s + t) * 1.5f) + std::cos(kTau * (s - t) * 1.5f);
            float c1 = std::cos(kTau * s * 2.5f + 1.3f * a) * std::cos(kTau * t * 2.5f - 1.1f * a);
            float caustic = std::pow(Clamp01(0.5f + 0.25f * a + 0.2f * b * c1), 3.0f);
            float u = (F(x) + 0.5f) / F(size), v = (F(y) + 0.5f) / F(size);
            float depth = 0.5f + 0.5f * Fbm(u * 8, v * 8, 8, 3, 0.5f, 601);
            Rgb c = Mix(Hex(0x4484BE), Hex(0x70BCF4), depth);
            c = c + Hex(0x8AD8FF) * (caustic * 0.9f);
            image.At(x, y) = c;
        }
    }
    return image;
}

} // namespace content
