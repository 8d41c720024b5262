#include "tools/content/Noise.h"
#include "tools/content/Textures.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace content {

namespace {

float F(int i) {
    return static_cast<float>(i);
}

constexpr float kBannerStrength = 0.42f;

// Light from lettering on black: a wide soft halo, a tighter glow and the crisp letters with
// a vertical colour gradient.
Image Lettering(int w, int h, const Plane& ink, Rgb top, Rgb bottom, Rgb halo, float haloAmount) {
    Image image(w, h);
    AddLight(image, Blur(ink, 14, false), halo * (haloAmount * 1.3f));
    AddLight(image, Blur(ink, 4, false), halo * (haloAmount * 0.9f));
    int first = h, last = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (ink.At(x, y) > 0.5f) {
                first = std::min(first, y);
                last = std::max(last, y);
            }
        }
    }
    float span = F(std::max(1, last - first));
    for (int y = 0; y < h; ++y) {
        Rgb fill = Mix(top, bottom, Clamp01(F(y - first) / span));
        for (int x = 0; x < w; ++x) {
            float a = ink.At(x, y);
            image.At(x, y) = Mix(image.At(x, y), fill, a);
        }
    }
    return image;
}

// A thin horizontal rule of light, fading towards its ends.
void Rule(Plane& ink, int y, int x0, int x1, float strength) {
    for (int x = x0; x < x1; ++x) {
        float t = (F(x - x0) + 0.5f) / F(x1 - x0);
        float fade = Smoothstep(0.0f, 0.25f, t) * Smoothstep(1.0f, 0.75f, t);
        ink.At(x, y) = std::max(ink.At(x, y), fade * strength);
    }
}

// Fits text into at most `maxWidth` pixels by shrinking the em size.
Plane FitText(const Font& font, const std::string& text, int pixelHeight, float xScale,
              float tracking, int maxWidth) {
    Plane p = font.Render(text, pixelHeight, xScale, tracking, 0);
    while (p.width > maxWidth && pixelHeight > 8) {
        pixelHeight -= 2;
        p = font.Render(text, pixelHeight, xScale, tracking, 0);
    }
    return p;
}

} // namespace

// The quads these pictures lie on are wider than the pictures (for example 1.06 x 0.25 for a
// 640 x 200 banner); the x scale of the lettering undoes that stretch so letters look right.

Image MakeLogo(const Fonts& fonts) {
    const int w = 640, h = 200;
    Plane ink(w, h);
    // The resting quad (1.2 wide) is a little wider than the view (1.1 at its distance); at
    // its widest swell (2.6) the view shows only the middle 42 % of the picture, so every
    // letter stays within the middle 250 pixels.
    Plane title = FitText(fonts.bold, "VELLOMIRE", 118, 0.93f, 4, 250);
    Stamp(ink, title, w / 2, h / 2 - 6);
    Rule(ink, 28, 90, 550, 0.7f);
    Rule(ink, 172, 90, 550, 0.7f);
    // Bold, so that the subtitle still reads where it crosses the lit blob.
    Plane sub = FitText(fonts.bold, "A REAL-TIME DEMO", 22, 0.93f, 4, 250);
    Stamp(ink, sub, w / 2, 186);
    return Lettering(w, h, ink, Hex(0xB8F4FF), Hex(0xFF6AD8), Hex(0x4A7CFF), 0.9f);
}

Image MakeBanner(const Fonts& fonts, int which) {
    const int w = 640, h = 200;
    Plane ink(w, h);
    const bool first = which == 1;
    Plane line =
        FitText(fonts.bold, first ? "OUT OF THE FOG" : "A THOUSAND SPIKES", 84, 0.755f, 6, 580);
    Stamp(ink, line, w / 2, 86);
    Plane sub = FitText(fonts.book,
                        first ? "every point finds its edge" : "of light, in time with the beat",
                        34, 0.755f, 3, 560);
    Stamp(ink, sub, w / 2, 152);
    Rule(ink, 20, 100, 540, 0.6f);
    Rule(ink, 182, 100, 540, 0.6f);
    Image image = first ? Lettering(w, h, ink, Hex(0xE8FFFF), Hex(0x58C8FF), Hex(0x2060FF), 0.8f)
                        : Lettering(w, h, ink, Hex(0xFFE8F8), Hex(0xFF5AA8), Hex(0xB0208A), 0.8f);
    // Each banner is added twice, behind the spikes and over them, on the clear grey: at this
    // strength the two passes bring the letters' cores to just under white instead of
    // burning them into flat patches.
    for (Rgb& c : image.pixels) {
        c = c * kBannerStrength;
    }
    return image;
}

Image MakeFarewell(const Fonts& fonts) {
    const int w = 640, h = 200;
    Plane ink(w, h);
    Plane line = FitText(fonts.bold, "THANK YOU FOR WATCHING", 96, 0.68f, 4, 620);
    Stamp(ink, line, w / 2, 90);
    Plane sub = FitText(fonts.book, "see you at the next show", 36, 0.68f, 4, 500);
    Stamp(ink, sub, w / 2, 158);
    return Lettering(w, h, ink, Hex(0xFFF6E0), Hex(0xFFB050), Hex(0xFF7020), 0.7f);
}

Image MakeGreeting(const Fonts& fonts, int which) {
    static const char* const heads[3] = {"HELLO", "THANK YOU", "STAY CURIOUS"};
    // The card is drawn twice, the second copy a little farther away: the copies drift apart
    // by about 9 pixels per unit of card away from where the camera aims, which passes the
    // card's middle. Only there, within about 60 x 50 texels of it, do they stay within 3
    // pixels of each other: the subtitle is one short bold word in that middle, the heading
    // above it, its strokes thick enough to keep its copies' letters together.
    static const char* const lines[3] = {"world", "truly", "always"};
    static const Rgb tops[3] = {Hex(0xD8FFF0), Hex(0xFFF0D0), Hex(0xE8E0FF)};
    static const Rgb bottoms[3] = {Hex(0x40E0A0), Hex(0xFF9A40), Hex(0x9A70FF)};
    const int index = std::clamp(which, 1, 3) - 1;
    const int w = 640, h = 300;
    Plane ink(w, h);
    // The card's quad (3.4 x 2) is narrower than the picture's 640 x 300 shape.
    const float xScale = 1.255f;
    Plane head = FitText(fonts.bold, heads[index], 100, xScale, 4, 520);
    Stamp(ink, head, w / 2, 70);
    Plane line = FitText(fonts.bold, lines[index], 40, xScale, 1, 112);
    Stamp(ink, line, w / 2, h / 2);
    Rule(ink, 200, 160, 480, 0.5f);
    return Lettering(w, h, ink, tops[index], bottoms[index], bottoms[index] * 0.6f, 0.7f);
}

} // namespace content
