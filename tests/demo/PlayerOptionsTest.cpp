#include "demo/PlayerOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::optional<PlayerOptions> Parse(std::vector<const char*> arguments, std::string& error) {
    arguments.insert(arguments.begin(), "vellomire");
    return ParsePlayerOptions(static_cast<int>(arguments.size()), arguments.data(), error);
}

TEST(PlayerOptions, ResolutionIsNativeOrASizeHoldingAFourByThreePicture) {
    const struct {
        std::vector<const char*> arguments;
        bool native;
        int width;
        int height;
    } accepted[] = {
        {{}, false, 0, 0},
        {{"--resolution", "native"}, true, 0, 0},
        {{"--resolution=1920x1080"}, false, 1920, 1080},
        {{"--resolution", "4x3", "--fullscreen", "extra"}, false, 4, 3}, // the rest is ignored
        {{"--resolution", "800x600", "--resolution", "8192x8192"}, false, 8192, 8192},
    };
    for (const auto& c : accepted) {
        std::string error;
        const std::optional<PlayerOptions> options = Parse(c.arguments, error);
        ASSERT_TRUE(options) << error;
        EXPECT_EQ(options->resolution.native, c.native);
        EXPECT_EQ(options->resolution.width, c.width);
        EXPECT_EQ(options->resolution.height, c.height);
    }
    for (const char* value : {"", "Native", "1920", "1920x", "x1080", "0x480", "-640x480",
                              "640x480x2", "640 x480", "3x2", "8193x6144", "99999999999x2"}) {
        std::string error;
        EXPECT_FALSE(Parse({"--resolution", value}, error)) << value;
        EXPECT_NE(error.find("--resolution"), std::string::npos) << value;
    }
    std::string error;
    EXPECT_FALSE(Parse({"--resolution"}, error));
    EXPECT_NE(error.find("needs a value"), std::string::npos);
}

} // namespace
