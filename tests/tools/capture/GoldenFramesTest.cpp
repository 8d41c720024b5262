// Frames of every scene at chosen music times, compared with the stored golden pictures.

#include "CaptureRun.h"
#include "tools/capture/CaptureOptions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace {

const std::filesystem::path goldenFolder = VELLOMIRE_GOLDEN_FOLDER;

// Captures on other machines differ from the stored ones by rasteriser rounding; anything
// that changes what is drawn falls far below this.
constexpr double minimumPsnr = 30.0;

// scene -> times, as written in the list (the text is part of the file name).
std::map<std::string, std::vector<std::string>> GoldenList() {
    std::map<std::string, std::vector<std::string>> list;
    std::ifstream file(goldenFolder / "frames.txt");
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string scene;
        std::string seconds;
        if (line.empty() || line[0] == '#' || !(words >> scene >> seconds)) {
            continue;
        }
        list[scene].push_back(seconds);
    }
    return list;
}

TEST(GoldenFrames, EveryListedFrameMatchesItsGoldenPicture) {
    const auto list = GoldenList();
    if (list.empty()) {
        GTEST_SKIP() << "no golden frames listed yet";
    }
    const FrameRate fps{60, 1};
    for (const auto& [scene, times] : list) {
        SCOPED_TRACE(scene);
        ScratchFolder scratch;
        std::string at;
        for (const std::string& seconds : times) {
            at += (at.empty() ? "" : ",") + seconds;
        }
        std::string log;
        const int status =
            RunCapture("--scene " + scene + " --at " + at +
                           " --size 320x240 --supersample 2 --out " + scratch.Path().string(),
                       &log);
        ASSERT_EQ(status, 0) << log;
        for (const std::string& seconds : times) {
            SCOPED_TRACE(seconds);
            const auto frame = fps.FirstFrameAtOrAfter(std::stod(seconds));
            char name[32];
            std::snprintf(name, sizeof name, "frame-%06llu.png",
                          static_cast<unsigned long long>(frame));
            const RgbPicture captured = ReadPng(scratch.Path() / name);
            const RgbPicture golden = ReadPng(goldenFolder / (scene + "-" + seconds + ".png"));
            ASSERT_FALSE(golden.rgb.empty()) << "missing golden picture; run "
                                                "scripts/update-golden-frames";
            ASSERT_FALSE(captured.rgb.empty());
            EXPECT_GE(Psnr(captured, golden), minimumPsnr);
        }
    }
}

} // namespace
