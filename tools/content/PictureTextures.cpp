#include "tools/content/Noise.h"
#include "tools/content/Textures.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {

constexpr float kTau = 6.2831853f;
constexpr int kLarge = 1 << 12; // a noise period far beyond the picture: no visible repeat

float F(int i) {
    return static_cast<float>(i);
}

float RoundedBoxDistance(float x, float y, float halfW, float halfH, float radius) {
    float qx = std::fabs(x) - halfW + radius, qy = std::fabs(y) - halfH + radius;
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SegmentDistance(float x, float y, float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    const float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(x - ax - t * dx, y - ay - t * dy);
}

} // namespace

// The scene draws every marble at the origin through a camera at (0, 0, -6) aimed at
// (2 - c, 0.5 r - 2.5, 0) with a vertical field of view of 5 pi / 16, over the backdrop, a
// 4 x 3 quad seen from 3.5 away with a field of view of pi / 4.
BoardPlace MarblePlace(int r, int c) {
    const double tx = 2 - c, ty = 0.5 * r - 2.5, tz = 6; // the target, seen from the eye
    const double fl = std::sqrt(tx * tx + ty * ty + tz * tz);
    const double f[3] = {tx / fl, ty / fl, tz / fl};
    const double rl = std::hypot(f[2], f[0]);
    const double right[3] = {f[2] / rl, 0, -f[0] / rl}; // up x forward
    const double up[3] = {f[1] * right[2] - f[2] * right[1], f[2] * right[0] - f[0] * right[2],
                          f[0] * right[1] - f[1] * right[0]};
    const double depth = 6 * f[2];
    const double halfView = std::tan(5 * 3.14159265358979 / 32);
    const double sx = 6 * right[2] / depth / halfView,
                 sy = 6 * up[2] / depth / halfView;                     // -1..1 up
    const double backdrop = 3.5 * std::tan(3.14159265358979 / 8) * 160; // pixels per unit of sx, sy
    return {static_cast<float>(320 + sx * backdrop), static_cast<float>(240 - sy * backdrop)};
}

Image MakePuzzleBackdrop() {
    const int w = 640, h = 480;
    Image image(w, h);
    Plane bokeh(w, h);
    Random random(7001);
    for (int i = 0; i < 70; ++i) {
        // Soft discs of light on the sides only; the board in the middle stays calm.
        float side = random.Unit() < 0.5f ? random.Range(10, 130) : random.Range(510, 630);
        float cy = random.Range(0, F(h));
        float radius = random.Range(6, 26);
        float strength = random.Range(0.15f, 0.55f);
        for (int y = std::max(0, static_cast<int>(cy - radius - 2));
             y < std::min(h, static_cast<int>(cy + radius + 2)); ++y) {
            for (int x = std::max(0, static_cast<int>(side - radius - 2));
                 x < std::min(w, static_cast<int>(side + radius + 2)); ++x) {
                float d = std::hypot(F(x) + 0.5f - side, F(y) + 0.5f - cy);
                float disc = Smoothstep(radius, radius - 2.0f, d) * (0.6f + 0.4f * d / radius);
                bokeh.At(x, y) += disc * strength;
            }
        }
    }
    bokeh = Blur(bokeh, 1, false);
    BoardPlace places[11][5];
    for (int r = 0; r < 11; ++r) {
        for (int c = 0; c < 5; ++c) {
            places[r][c] = MarblePlace(r, c);
        }
    }
    const float middle = places[5][0].y; // the row where matches are made
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float px = F(x) + 0.5f - F(w) / 2, py = F(y) + 0.5f - F(h) / 2;
            float u = F(x) / F(w), v = F(y) / F(h);
            // Background: violet to deep teal diagonal wash with slow clouds.
            float wash = 0.5f + 0.5f * Fbm(u * 3, v * 3, kLarge, 5, 0.55f, 7003);
            Rgb c = Mix(Hex(0x2A0B4A), Hex(0x06343F), Clamp01(u * 0.7f + v * 0.5f - 0.1f));
            c = c * (0.6f + 0.7f * wash);
            // Diagonal fine stripes on the sides.
            float stripes = 0.5f + 0.5f * std::sin((F(x) + F(y)) * 0.35f);
            c = c + Hex(0x1A1030) * (stripes * 0.5f);
            c = c + Hex(0x7FB0FF) * (bokeh.At(x, y) * 0.45f) +
                Hex(0xFF7FD0) * (bokeh.At(x, y) * 0.2f);
            // The board panel: a dark rounded rectangle with a faint glowing rim.
            float d = RoundedBoxDistance(px, py, 182, 226, 24);
            float panel = Smoothstep(6.0f, -6.0f, d);
            Rgb inside = Mix(Hex(0x06060C), Hex(0x10121E),
                             0.5f + 0.5f * Fbm(u * 2, v * 2, kLarge, 3, 0.5f, 7005));
            c = Mix(c, inside, panel * 0.92f);
            float rim = std::exp(-(d * d) / 18.0f) * 0.8f + std::exp(-std::fabs(d) / 14.0f) * 0.25f;
            c = c + Hex(0x6FA8FF) * (rim * 0.55f);
            // The board on the panel: a groove down each column, a socket at each of the 55
            // places, and the middle row lit warm between two arrows.
            const float fx = F(x) + 0.5f, fy = F(y) + 0.5f;
            float socket = 1e9f, groove = 1e9f;
            for (int col = 0; col < 5; ++col) {
                for (int r = 0; r < 11; ++r) {
                    const BoardPlace& p = places[r][col];
                    socket = std::min(socket, std::hypot(fx - p.x, fy - p.y));
                    if (r > 0) {
                        const BoardPlace& q = places[r - 1][col];
                        groove = std::min(groove, SegmentDistance(fx, fy, q.x, q.y, p.x, p.y));
                    }
                }
            }
            const float inPanel = Smoothstep(0.0f, -10.0f, d);
            const float row = std::fabs(fy - middle);
            c = c + Hex(0xFFA030) * ((Smoothstep(26.0f, 20.0f, row) * 0.16f +
                                      std::exp(-(row - 23) * (row - 23) / 3.0f) * 0.5f) *
                                     inPanel);
            c = Mix(c, Hex(0x030308), Smoothstep(12.0f, 9.0f, groove) * 0.75f * inPanel);
            c = c +
                Hex(0x4C6FB0) * (std::exp(-(groove - 10) * (groove - 10) / 2.0f) * 0.25f * inPanel);
            const float lit = std::clamp((fy - middle) / 200.0f, -1.0f, 1.0f); // light from above
            c = Mix(c, Hex(0x010104), Smoothstep(18.0f, 15.5f, socket) * inPanel);
            const Rgb ring = row < 15 ? Hex(0xFFC060) : Hex(0x8FB8FF);
            c = c + ring * (std::exp(-(socket - 17) * (socket - 17) / 2.5f) *
                            (0.55f + 0.15f * lit) * inPanel);
            for (float side : {-1.0f, 1.0f}) {
                // An arrow beside each end of the middle row, pointing at the board.
                const float tip = side < 0 ? places[5][0].x - 40 : places[5][4].x + 40;
                const float back = (fx - tip) * side; // 0 at the tip, 16 at the base
                const float arrow =
                    back >= 0 && back <= 16 ? Smoothstep(1.0f, -1.0f, row - back * 0.6f) : 0.0f;
                c = Mix(c, Hex(0xFFC060), arrow);
            }
            // Vignette.
            float r = std::hypot(px / F(w), py / F(h));
            c = c * (1.05f - 0.6f * r * r);
            image.At(x, y) = c;
        }
    }
    return image;
}

Image MakeLandscape() {
    const int w = 640, h = 480;
    const float horizon = 300; // sky above, lake below
    Image image(w, h);
    static const Rgb sky[] = {Hex(0x070A24), Hex(0x1F1A5A), Hex(0x6A2E7A), Hex(0xE0605A),
                              Hex(0xFFC070)};
    const float sunX = 420, sunY = 262, sunR = 34;

    auto skyColour = [&](float x, float y) {
        float t = Clamp01(y / horizon);
        int n = 4;
        float p = std::pow(t, 1.6f) * F(n);
        int i = std::min(static_cast<int>(p), n - 1);
        Rgb c = Mix(sky[i], sky[i + 1], p - F(i));
        float d = std::hypot(x - sunX, y - sunY);
        c = c + Hex(0xFF9050) * (0.55f * std::exp(-d / 120.0f)) +
            Hex(0xFFE0B0) * (0.5f * std::exp(-d / 40.0f));
        if (d < sunR) {
            c = Mix(c, Hex(0xFFF4D8), Smoothstep(sunR, sunR - 2.0f, d));
        }
        // Thin clouds lit from below.
        float cloud = Fbm(x / 160.0f, y / 26.0f, kLarge, 5, 0.55f, 8101);
        float band = Smoothstep(120, 230, y) * Smoothstep(290, 240, y);
        float amount = Smoothstep(0.05f, 0.5f, cloud) * band;
        c = Mix(c, Mix(Hex(0x3A1E4A), Hex(0xFF8A6A), Clamp01((y - 150) / 120.0f)), amount * 0.7f);
        // Stars in the dark upper sky.
        std::uint32_t star = Hash(static_cast<int>(x), static_cast<int>(y), 8111);
        if ((star & 1023u) == 0 && y < 170) {
            float twinkle = static_cast<float>((star >> 10) & 255u) / 255.0f;
            c = c + Hex(0xFFFFFF) * ((0.4f + 0.6f * twinkle) * Smoothstep(170, 40, y));
        }
        return c;
    };

    // Mountain ranges, far to near: each a ridge line with its own haze colour.
    struct Range {
        float base, height, scale;
        std::uint32_t seed;
        Rgb colour;
    };
    static const Range ranges[] = {
        {292, 110, 260, 8201, Hex(0x6A3A78)},
        {298, 80, 170, 8203, Hex(0x3A1F52)},
        {302, 55, 110, 8207, Hex(0x1A0E2C)},
    };
    auto ridge = [&](const Range& r, float x) {
        float n =
            Ridged(x / r.scale, 0.37f * F(static_cast<int>(r.seed % 7)), kLarge, 5, 0.5f, r.seed);
        return r.base - r.height * std::pow(n, 1.6f);
    };

    for (int x = 0; x < w; ++x) {
        float fx = F(x) + 0.5f;
        for (int y = 0; y < static_cast<int>(horizon) + 4; ++y) {
            float fy = F(y) + 0.5f;
            Rgb c = skyColour(fx, fy);
            for (const Range& r : ranges) {
                float top = ridge(r, fx);
                float cover = Smoothstep(top - 0.8f, top + 0.8f, fy);
                float shade =
                    0.8f + 0.4f * Fbm(fx / 30.0f, fy / 30.0f, kLarge, 3, 0.5f, r.seed + 1);
                // Rim light from the sun on the crest.
                float rim = std::exp(-std::max(0.0f, fy - top) / 3.0f) *
                            Smoothstep(top - 1, top + 1, fy) * 0.5f;
                Rgb rock = r.colour * shade + Hex(0xFF9060) * rim;
                c = Mix(c, rock, cover);
            }
            // Haze above the horizon line.
            c = Mix(c, Hex(0xC05A70), Smoothstep(250, 302, fy) * 0.25f);
            image.At(x, y) = c;
        }
    }
    // The lake: the sky and hills mirrored, darkened, broken by ripples.
    for (int y = static_cast<int>(horizon) + 4; y < h; ++y) {
        float depth = (F(y) - horizon) / (F(h) - horizon);
        for (int x = 0; x < w; ++x) {
            float ripple = Fbm(F(x) / 90.0f, F(y) * F(y) / 2400.0f, kLarge, 4, 0.5f, 8301);
            float sx = F(x) + ripple * 6.0f * (0.3f + depth);
            int mirrorY = static_cast<int>(2 * horizon - F(y) + ripple * 4.0f);
            mirrorY = std::clamp(mirrorY, 0, static_cast<int>(horizon) + 3);
            int mx = std::clamp(static_cast<int>(sx), 0, w - 1);
            Rgb c = image.At(mx, mirrorY) * (0.6f - 0.25f * depth);
            c = Mix(c, Hex(0x05040E), depth * 0.55f);
            float glint =
                Smoothstep(0.55f, 0.8f, Fbm(F(x) / 12.0f, F(y) / 3.0f, kLarge, 2, 0.5f, 8303));
            float sunPath = std::exp(-std::pow((F(x) - sunX) / (30.0f + 90.0f * depth), 2.0f));
            c = c + Hex(0xFFC890) * (glint * sunPath * 0.8f);
            image.At(x, y) = c;
        }
    }
    // Shore in the foreground corners.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float shore = 470 - 120 * std::pow(std::max(0.0f, 1 - F(x) / 260.0f), 1.5f) +
                          6 * Fbm(F(x) / 40.0f, 0.5f, kLarge, 3, 0.5f, 8401);
            if (F(y) > shore) {
                image.At(x, y) = Hex(0x040308) + Hex(0x140C20) * Smoothstep(shore + 6, shore, F(y));
            }
        }
    }
    return image;
}

// Tunnel layers: only the middle 5 to 30 % is seen, ten copies added together (seven of them
// in front of the camera). Light is kept thin (lines and dots) over a near-black base and the
// whole layer at 50 % (cold) or 60 % (warm, whose red clips later than the cold one's blue), so
// that the sum stays below white and the rings' depth shows.
static Image MakeTunnelLayer(bool warm) {
    const int size = 256;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float px = (F(x) + 0.5f) / F(size) - 0.5f, py = (F(y) + 0.5f) / F(size) - 0.5f;
            float r = std::hypot(px, py) + 1e-6f, a = std::atan2(py, px);
            float lr = std::log(r);
            float light = 0, accent = 0;
            float n = Fbm(px * 12, py * 12, kLarge, 3, 0.5f, warm ? 9101u : 9103u);
            if (!warm) {
                // Rings spaced evenly in log radius (the same density at every depth), spokes.
                float rings = std::pow(std::fabs(std::cos(lr * 9.0f)), 40.0f);
                float fine = std::pow(std::fabs(std::cos(lr * 27.0f + 0.5f * n)), 60.0f);
                float spokes =
                    std::pow(std::fabs(std::cos(a * 8.0f)), 80.0f) * Smoothstep(0.015f, 0.05f, r);
                float grid =
                    std::pow(std::fabs(std::cos(px * 140.0f) * std::cos(py * 140.0f)), 30.0f);
                light = rings * 0.55f + fine * 0.25f + spokes * 0.35f +
                        grid * 0.12f * Smoothstep(0.3f, 0.1f, r);
                accent = std::pow(std::fabs(std::cos(lr * 4.5f + a * 3.0f)), 30.0f) * 0.4f;
            } else {
                // Log spirals (seen as petals turning), dotted rings.
                float spiral = std::pow(std::fabs(std::cos(a * 5.0f + lr * 6.0f)), 24.0f);
                float counter = std::pow(std::fabs(std::cos(a * 7.0f - lr * 9.0f)), 36.0f);
                float petals = Smoothstep(0.2f, 1.0f, std::fabs(std::cos(a * 6.0f))) *
                               std::pow(std::fabs(std::sin(lr * 5.0f)), 8.0f);
                float dots = std::pow(std::fabs(std::cos(lr * 18.0f) * std::cos(a * 24.0f)), 24.0f);
                light = spiral * 0.4f + counter * 0.25f + dots * 0.35f;
                accent = petals * 0.35f;
            }
            float nearCentre = Smoothstep(0.48f, 0.02f, r); // fade towards the rim
            float core = std::exp(-r * r / 0.0008f);
            float base = 0.018f + 0.012f * (0.5f + 0.5f * n);
            Rgb c = warm ? Hex(0x1A0612) * base * 20.0f : Hex(0x040C1E) * base * 20.0f;
            Rgb lineColour = warm ? Hex(0xFF6A2A) : Hex(0x3AB8FF);
            Rgb accentColour = warm ? Hex(0xD02A9A) : Hex(0x7A4AFF);
            c = c + lineColour * (light * 0.6f * nearCentre) +
                accentColour * (accent * 0.55f * nearCentre);
            c = c + (warm ? Hex(0xFFD0A0) : Hex(0xC0F0FF)) * (core * 0.25f);
            image.At(x, y) = c * (warm ? 0.6f : 0.5f);
        }
    }
    return image;
}

Image MakeTunnelRings() {
    return MakeTunnelLayer(false);
}
Image MakeTunnelPetals() {
    return MakeTunnelLayer(true);
}

} // namespace content
