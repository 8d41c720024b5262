#include "tools/content/ContentSet.h"
#include "tools/content/Font.h"
#include "tools/content/Textures.h"

#include <gtest/gtest.h>

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
    ASSERT_TRUE(WriteContentFiles(files, folder.path, {"Particle.bmp", "Scape1.raw"}, error)) << error;
    EXPECT_EQ(std::filesystem::file_size(folder.path + "/Particle.bmp"), 54u + 64 * 64 * 3);
    EXPECT_EQ(std::filesystem::file_size(folder.path + "/Scape1.raw"), 4096u);
    EXPECT_FALSE(std::filesystem::exists(folder.path + "/Demo.mp3"));

    EXPECT_FALSE(WriteContentFiles(files, folder.path, {"Missing.jpg"}, error));
    EXPECT_NE(error.find("Missing.jpg"), std::string::npos);
    EXPECT_FALSE(WriteContentFiles(files, folder.path + "/no/such/folder", {"Particle.bmp"}, error));
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

// The four marble colours must be told apart at a glance on a 16-pixel marble.
TEST(Textures, MarbleColoursAreClearlyDifferent) {
    Rgb means[4];
    for (int c = 0; c < 4; ++c) {
        const Image marble = MakeMarble(c + 1);
        for (const Rgb& p : marble.pixels) {
            means[c] = means[c] + p * (1.0f / static_cast<float>(marble.pixels.size()));
        }
    }
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b) {
            const Rgb d = means[a] - means[b];
            EXPECT_GT(std::sqrt(d.r * d.r + d.g * d.g + d.b * d.b), 0.25f) << a + 1 << " vs " << b + 1;
        }
    }
}

TEST(CommandLine, NeedsAnOutputFolder) {
    EXPECT_NE(std::system(VELLOMIRE_CONTENT_PROGRAM " >/dev/null 2>&1"), 0);
    EXPECT_NE(std::system(VELLOMIRE_CONTENT_PROGRAM " --bogus >/dev/null 2>&1"), 0);
    TempFolder folder;
    EXPECT_EQ(std::system((std::string(VELLOMIRE_CONTENT_PROGRAM) + " --out " + folder.path + "/Data Logo.bmp").c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.path + "/Data/Logo.bmp"));
}
