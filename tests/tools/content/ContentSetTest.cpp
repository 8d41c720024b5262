#include "tools/content/ContentSet.h"
#include "tools/content/Font.h"
#include "tools/content/Textures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

using namespace content;

namespace {

class TempFolder {
  public:
    TempFolder() {
        char pattern[] = "/tmp/vellomire-content-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string path;
};

} // namespace

TEST(ContentSet, WritesOnlyTheNamedFilesAndRefusesUnknownNames) {
    std::vector<ContentFile> files;
    std::string error;
    ASSERT_TRUE(ListContentFiles(files, error)) << error;
    TempFolder folder;
    ASSERT_TRUE(WriteContentFiles(files, folder.path, {"Particle.bmp", "Scape1.raw"}, error))
        << error;
    EXPECT_EQ(std::filesystem::file_size(folder.path + "/Particle.bmp"), 54u + 64 * 64 * 3);
    EXPECT_EQ(std::filesystem::file_size(folder.path + "/Scape1.raw"), 4096u);
    EXPECT_FALSE(std::filesystem::exists(folder.path + "/Demo.mp3"));

    EXPECT_FALSE(WriteContentFiles(files, folder.path, {"Missing.jpg"}, error));
    EXPECT_NE(error.find("Missing.jpg"), std::string::npos);
    EXPECT_FALSE(
        WriteContentFiles(files, folder.path + "/no/such/folder", {"Particle.bmp"}, error));
    EXPECT_NE(error.find("cannot write"), std::string::npos);
}

TEST(Font, RendersTextWiderWithALargerXScaleAndFailsOnAMissingFile) {
    Font font;
    ASSERT_TRUE(font.Open(kBoldFontPath));
    const Plane normal = font.Render("VELLOMIRE", 40, 1.0f, 0, 0);
    const Plane wide = font.Render("VELLOMIRE", 40, 1.5f, 0, 0);
    EXPECT_GT(normal.width, 150);
    EXPECT_NEAR(static_cast<double>(wide.width) / normal.width, 1.5, 0.1);
    EXPECT_EQ(wide.height, normal.height);
    float ink = 0;
    for (float v : normal.values) {
        ink += v;
    }
    EXPECT_GT(ink / static_cast<float>(normal.values.size()), 0.2f);

    Font missing;
    EXPECT_FALSE(missing.Open("/no/such/font.ttf"));
}

// The four marble colours must be told apart at a glance on a 16-pixel marble, by hue and,
// for a colour-blind viewer, by pattern: in the part a marble shows (the third of the
// texture around its corner) the dark texels of each colour lie in a shape of their own.
TEST(Textures, MarbleColoursDifferInHueAndPattern) {
    Rgb means[4];
    std::vector<bool> dark[4];
    int darkCount[4] = {};
    for (int c = 0; c < 4; ++c) {
        const Image marble = MakeMarble(c + 1);
        for (const Rgb& p : marble.pixels) {
            means[c] = means[c] + p * (1.0f / static_cast<float>(marble.pixels.size()));
        }
        for (int y = -11; y < 11; ++y) {
            for (int x = -11; x < 11; ++x) {
                const Rgb p = marble.Wrapped(x, y);
                dark[c].push_back(p.r + p.g + p.b < 0.25f);
                darkCount[c] += dark[c].back();
            }
        }
    }
    const int shown = static_cast<int>(dark[0].size());
    EXPECT_LT(darkCount[0], shown / 20) << "the plain one";
    for (int a = 0; a < 4; ++a) {
        if (a > 0) {
            EXPECT_GT(darkCount[a], shown / 6) << a + 1;
        }
        for (int b = a + 1; b < 4; ++b) {
            const Rgb d = means[a] - means[b];
            EXPECT_GT(std::sqrt(d.r * d.r + d.g * d.g + d.b * d.b), 0.25f)
                << a + 1 << " vs " << b + 1;
            int differing = 0;
            for (int i = 0; i < shown; ++i) {
                differing +=
                    dark[a][static_cast<std::size_t>(i)] != dark[b][static_cast<std::size_t>(i)];
            }
            EXPECT_GT(differing, shown / 6) << a + 1 << " vs " << b + 1;
        }
    }
}

// The backdrop shows the board: a dark socket with a lit rim at each of the 55 places the
// marbles are drawn at, the middle row's rims warm and the others cold.
TEST(Textures, PuzzleBackdropShowsEveryPlaceAndMarksTheMiddleRow) {
    const Image backdrop = MakePuzzleBackdrop();
    auto luma = [](Rgb p) { return 0.3f * p.r + 0.59f * p.g + 0.11f * p.b; };
    for (int r = 0; r < 11; ++r) {
        for (int c = 0; c < 5; ++c) {
            SCOPED_TRACE(testing::Message() << "row " << r << " column " << c);
            const BoardPlace p = MarblePlace(r, c);
            ASSERT_GT(p.x, 20.0f);
            ASSERT_LT(p.x, 620.0f);
            ASSERT_GT(p.y, 20.0f);
            ASSERT_LT(p.y, 460.0f);
            Rgb rim;
            for (int k = 0; k < 16; ++k) {
                const float a = 6.2831853f * static_cast<float>(k) / 16;
                rim = rim + backdrop.At(static_cast<int>(p.x + 17 * std::cos(a)),
                                        static_cast<int>(p.y + 17 * std::sin(a))) *
                                (1.0f / 16);
            }
            const float centre = luma(backdrop.At(static_cast<int>(p.x), static_cast<int>(p.y)));
            EXPECT_LT(centre, 0.03f);
            EXPECT_GT(luma(rim), centre + 0.12f);
            EXPECT_EQ(rim.r > rim.b, r == 5);
        }
    }
}

// The Test scene's ball is drawn three times additively, each lit by full ambient and diffuse
// light: six times its skin must stay under white, and its blue well under it, as each pass
// also adds the light's blue highlight.
TEST(Textures, BallSkinLeavesHeadroomForItsSixfoldLight) {
    const Image skin = MakeToadstool();
    float brightest = 0, bluest = 0;
    for (const Rgb& p : skin.pixels) {
        brightest = std::max({brightest, p.r, p.g, p.b});
        bluest = std::max(bluest, p.b);
    }
    EXPECT_LE(brightest * 6, 1.0f);
    EXPECT_GE(brightest * 6, 0.6f);
    EXPECT_LE(bluest * 6, 0.25f);
}

// At its widest swell (a quad 2.6 wide a unit from the camera, the view 1.105 wide there) the
// logo shows only the middle 42 % of its picture: no letter may lie outside it.
TEST(Textures, LogoLetteringFitsTheViewAtItsWidestSwell) {
    Fonts fonts;
    ASSERT_TRUE(fonts.bold.Open(kBoldFontPath));
    ASSERT_TRUE(fonts.book.Open(kBookFontPath));
    const Image logo = MakeLogo(fonts);
    const float half = 0.5f * 1.105f / 2.6f * static_cast<float>(logo.width);
    float outside = 0, inside = 0;
    for (int y = 0; y < logo.height; ++y) {
        if (std::abs(y - 28) <= 6 || std::abs(y - 172) <= 6) {
            continue; // the two rules run across the whole picture
        }
        for (int x = 0; x < logo.width; ++x) {
            const Rgb p = logo.At(x, y);
            const float ink = std::max({p.r, p.g, p.b});
            float& brightest =
                std::fabs(static_cast<float>(x) + 0.5f - static_cast<float>(logo.width) / 2) > half
                    ? outside
                    : inside;
            brightest = std::max(brightest, ink);
        }
    }
    EXPECT_GT(inside, 0.8f);
    EXPECT_LT(outside, 0.3f);
}

// The greeting card is drawn twice, the second copy 0.15 farther from the camera (3 away,
// field of view pi/4, 640 x 480): the copies of a card point r units from where the camera aims
// lie 579.4 * r * (1 / 3 - 1 / 3.15) pixels apart. When the camera aims at the card's middle,
// every letter of the subtitle line (the one through the middle) must lie within 3 pixels of
// its copy, and the line must stay large enough to read.
TEST(Textures, GreetingSubtitleKeepsItsTwoCopiesTogether) {
    Fonts fonts;
    ASSERT_TRUE(fonts.bold.Open(kBoldFontPath));
    ASSERT_TRUE(fonts.book.Open(kBookFontPath));
    const float pixelsPerUnit = 579.4f * (1.0f / 3.0f - 1.0f / 3.15f);
    for (int which = 1; which <= 3; ++which) {
        SCOPED_TRACE(which);
        const Image card = MakeGreeting(fonts, which);
        auto letter = [&](int x, int y) {
            const Rgb p = card.At(x, y);
            return std::max({p.r, p.g, p.b}) > 0.6f;
        };
        auto rowHasLetters = [&](int y) {
            for (int x = 0; x < card.width; ++x) {
                if (letter(x, y)) {
                    return true;
                }
            }
            return false;
        };
        int top = card.height / 2, bottom = card.height / 2;
        ASSERT_TRUE(rowHasLetters(top));
        while (top > 0 && rowHasLetters(top - 1)) {
            --top;
        }
        while (bottom + 1 < card.height && rowHasLetters(bottom + 1)) {
            ++bottom;
        }
        EXPECT_GE(bottom - top, 16) << "the subtitle's letters are too small to read";
        EXPECT_TRUE(rowHasLetters(top / 2)) << "no heading above the subtitle";
        float widest = 0;
        for (int y = top; y <= bottom; ++y) {
            for (int x = 0; x < card.width; ++x) {
                if (letter(x, y)) {
                    const float u = (static_cast<float>(x) + 0.5f) / 640.0f - 0.5f;
                    const float v = (static_cast<float>(y) + 0.5f) / 300.0f - 0.5f;
                    widest = std::max(widest, std::hypot(u * 3.4f, v * 2.0f) * pixelsPerUnit);
                }
            }
        }
        EXPECT_LE(widest, 3.0f);
    }
}

TEST(CommandLine, NeedsAnOutputFolder) {
    EXPECT_NE(std::system(VELLOMIRE_CONTENT_PROGRAM " >/dev/null 2>&1"), 0);
    EXPECT_NE(std::system(VELLOMIRE_CONTENT_PROGRAM " --bogus >/dev/null 2>&1"), 0);
    TempFolder folder;
    EXPECT_EQ(std::system((std::string(VELLOMIRE_CONTENT_PROGRAM) + " --out " + folder.path +
                           "/Data Logo.bmp")
                              .c_str()),
              0);
    EXPECT_TRUE(std::filesystem::exists(folder.path + "/Data/Logo.bmp"));
}
