#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FrameSchedule.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::optional<CaptureOptions> Parse(std::vector<const char*> args, std::string& error) {
    args.insert(args.begin(), "vellomire-capture");
    return ParseCaptureOptions(static_cast<int>(args.size()), args.data(), error);
}

TEST(CaptureOptions, AcceptsRatesSizesAndTimes) {
    std::string error;
    const auto options = Parse({"--fps", "60000/1001", "--size", "1920x1080", "--supersample", "2",
                                "--from", "5", "--to", "6.5", "--out", "frames"},
                               error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->fps.num, 60000u);
    EXPECT_EQ(options->fps.den, 1001u);
    EXPECT_EQ(options->width, 1920);
    EXPECT_EQ(options->height, 1080);
    EXPECT_EQ(options->supersample, 2);
    EXPECT_DOUBLE_EQ(*options->from, 5.0);
    EXPECT_DOUBLE_EQ(*options->to, 6.5);

    const auto frames = Parse({"--at", "1,2.5,12.75", "--out", "x"}, error);
    ASSERT_TRUE(frames) << error;
    EXPECT_EQ(frames->at, (std::vector<double>{1.0, 2.5, 12.75}));
}

TEST(CaptureOptions, RefusesBadInputWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {"--fps", "0", "--out", "x"},
        {"--fps", "60/0", "--out", "x"},
        {"--fps", "sixty", "--out", "x"},
        {"--size", "640", "--out", "x"},
        {"--size", "0x0", "--out", "x"},
        {"--supersample", "9", "--out", "x"},
        {"--from", "-1", "--out", "x"},
        {"--from", "10", "--to", "5", "--out", "x"},
        {"--at", "", "--out", "x"},
        {"--at", "1,,2", "--out", "x"},
        {"--video", "show.avi"},
        {"--out", "x", "--video", "y.mp4"},
        {"--at", "3", "--video", "y.mp4"},
        {"--bogus", "1", "--out", "x"},
        {"--out"},
        {},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(Parse(args, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}

TEST(CaptureOptions, HelpNeedsNoOutput) {
    std::string error;
    const auto options = Parse({"--help"}, error);
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->help);
}

TEST(FrameRate, FrameTimesComeFromTheFrameNumber) {
    const FrameRate ntsc{60000, 1001};
    // Frame 1001 starts at 1001 * 1001 / 60000 = 16.7000166... s.
    EXPECT_DOUBLE_EQ(ntsc.SecondsOf(1001), 1001.0 * 1001.0 / 60000.0);
    EXPECT_EQ(ntsc.FirstFrameAtOrAfter(16.70001), 1001u);
    EXPECT_EQ(ntsc.FirstFrameAtOrAfter(16.7), 1001u);
    EXPECT_EQ(ntsc.LastFrameAtOrBefore(16.7), 1000u);

    const FrameRate sixty{60, 1};
    EXPECT_EQ(sixty.FirstFrameAtOrAfter(5.0), 300u);
    EXPECT_EQ(sixty.LastFrameAtOrBefore(5.0), 300u);
    EXPECT_EQ(sixty.FirstFrameAtOrAfter(12.75), 765u);
    EXPECT_EQ(sixty.FirstFrameAtOrAfter(0.001), 1u);
    EXPECT_EQ(sixty.LastFrameAtOrBefore(203.0), 12180u);
}

TEST(PictureSize, LargestFourByThreeThatFits) {
    EXPECT_EQ(PictureFor(640, 480).width, 640);
    EXPECT_EQ(PictureFor(1920, 1080).width, 1440);
    EXPECT_EQ(PictureFor(1920, 1080).height, 1080);
    EXPECT_EQ(PictureFor(1000, 1000).width, 1000);
    EXPECT_EQ(PictureFor(1000, 1000).height, 750);
    EXPECT_EQ(PictureFor(641, 481).width, 640);
}

TEST(FrameSchedule, RangesAndSingleFrames) {
    const FrameSchedule range = FrameSchedule::Range(300, 359);
    EXPECT_EQ(range.Count(), 60u);
    EXPECT_FALSE(range.Contains(299));
    EXPECT_TRUE(range.Contains(300));
    EXPECT_TRUE(range.Contains(359));
    EXPECT_FALSE(range.Contains(360));

    const FrameSchedule frames = FrameSchedule::Frames({765, 60, 765, 120});
    EXPECT_EQ(frames.Count(), 3u);
    EXPECT_EQ(frames.First(), 60u);
    EXPECT_EQ(frames.Last(), 765u);
    EXPECT_TRUE(frames.Contains(120));
    EXPECT_FALSE(frames.Contains(121));
}

} // namespace
