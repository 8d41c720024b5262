#include "tools/capture/CaptureOptions.h"
#include "demo/Timeline.h"
#include "platform/win32/Host.h"
#include "tools/capture/CapturePlan.h"
#include "tools/capture/FrameSchedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::optional<CaptureOptions> Parse(std::vector<const char*> args, std::string& error) {
    std::vector<std::string> words = {"vellomire-capture"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    return ParseCaptureOptions(static_cast<int>(argv.size()), argv.data(), error);
}

TEST(CaptureOptions, AcceptsRatesSizesAndTimes) {
    std::string error;
    // Both GNU spellings: "--name value" and "--name=value".
    const auto options = Parse({"--fps=60000/1001", "--size", "1920x1080", "--supersample=2",
                                "--from", "5", "--to=6.5", "--out", "frames"},
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

    const auto video = Parse({"--video=a.mp4", "--preset", "slow", "--crf=20", "--ffmpeg-args",
                              "-tune animation", "--ffmpeg-args=-g 60", "--wav", "a.wav", "-v"},
                             error);
    ASSERT_TRUE(video) << error;
    EXPECT_EQ(video->encoding.preset, "slow");
    EXPECT_EQ(video->encoding.crf, 20);
    EXPECT_EQ(video->encoding.extraArguments,
              (std::vector<std::string>{"-tune", "animation", "-g", "60"}));
    EXPECT_EQ(video->wav, "a.wav");
    EXPECT_TRUE(video->verbose);
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
        {"--at", "1e20", "--out", "x"},
        {"--to", "203.5", "--out", "x"},
        {"--out", "x", "stray"},
        {"--crf", "52", "--video", "y.mp4"},
        {"--preset", "quick", "--video", "y.mp4"},
        {"--crf", "20", "--out", "x"},
        {"--lossless", "--video", "y.mp4"},
        {"--lossless", "--crf", "0", "--video", "y.mkv"},
        {"--wav", "y.mp3"},
        {"--wav", "y.wav", "--benchmark"},
        {"--framemd5", "y.framemd5", "--benchmark"},
        {"--size", "3000x2250", "--supersample", "3", "--out", "x"},
        {"--video", "y.mp4", "--size", "641x480"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(Parse(args, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}

TEST(CaptureOptions, HelpVersionAndListWindowsNeedNoOutput) {
    std::string error;
    const auto help = Parse({"--help"}, error);
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->help);
    const auto version = Parse({"-V"}, error);
    ASSERT_TRUE(version);
    EXPECT_TRUE(version->version);
    const auto windows = Parse({"--list-windows"}, error);
    ASSERT_TRUE(windows);
    EXPECT_TRUE(windows->listWindows);
}

// Which frames a request gives, or that it is refused before anything runs.
TEST(CapturePlan, SchedulesAreCheckedAgainstTheTimeline) {
    struct Case {
        std::vector<const char*> args;
        std::uint64_t first = 0; // when accepted
        std::uint64_t last = 0;
        std::uint64_t count = 0;
    };
    const std::vector<Case> cases = {
        {{"--out", "x"}, 0, 12180, 12181},
        // Scene mode: only the frames where the timeline selects the scene (13 s is Stekelz).
        {{"--scene", "Schtar", "--out", "x"}, 0, 779, 780},
        {{"--scene", "Schtar", "--from", "0", "--to", "60", "--out", "x"}, 0, 3600, 780 + 481},
        {{"--scene", "Marble", "--out", "x"}, 9435, 12180, 2746},
        {{"--scene", "Wendo", "--at", "140,150", "--out", "x"}, 8400, 9000, 2},
        // Refused: another scene's time, two stretches for one video, past the show's end.
        {{"--scene", "Schtar", "--at", "30", "--out", "x"}},
        {{"--scene", "Marble", "--from", "10", "--to", "20", "--out", "x"}},
        {{"--scene", "Schtar", "--from", "0", "--to", "60", "--video", "x.mp4"}},
        {{"--scene", "Nobody", "--out", "x"}},
        {{"--fps", "60000/1001", "--at", "202.999", "--out", "x"}},
        {{"--from", "5.001", "--to", "5.002", "--out", "x"}},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto options = Parse(c.args, error);
        ASSERT_TRUE(options) << error;
        const auto plan = PlanCapture(*options, error);
        SCOPED_TRACE(c.args.size() > 1 ? std::string(c.args[0]) + " " + c.args[1] : c.args[0]);
        if (c.count == 0) {
            EXPECT_FALSE(plan);
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_TRUE(plan) << error;
        EXPECT_EQ(plan->schedule.First(), c.first);
        EXPECT_EQ(plan->schedule.Last(), c.last);
        EXPECT_EQ(plan->schedule.Count(), c.count);
    }
}

// Every tile of the contact sheet is a frame of its own window, in the timeline's order (a
// moment in an overlap would show the wrong scene, Stekelz's start for Schtar's first showing).
TEST(CapturePlan, ContactSheetTakesOneFrameWhereEachWindowPlays) {
    std::string error;
    const auto options = Parse({"--contact-sheet", "sheet.png", "--fps", "30"}, error);
    ASSERT_TRUE(options) << error;
    const auto plan = PlanCapture(*options, error);
    ASSERT_TRUE(plan) << error;
    const auto windows = TimelineWindows();
    ASSERT_EQ(plan->labels.size(), windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto [frame, label] = plan->labels[i];
        EXPECT_EQ(TimelineWindowAt(MusicSecondsOf(options->fps, frame)), static_cast<int>(i))
            << label;
        EXPECT_EQ(label.rfind(SceneName(windows[i].scene), 0), 0u) << label;
        EXPECT_TRUE(plan->schedule.Contains(frame)) << label;
    }
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
    EXPECT_EQ(host::PictureFor(640, 480).width, 640);
    EXPECT_EQ(host::PictureFor(1920, 1080).width, 1440);
    EXPECT_EQ(host::PictureFor(1920, 1080).height, 1080);
    EXPECT_EQ(host::PictureFor(1000, 1000).width, 1000);
    EXPECT_EQ(host::PictureFor(1000, 1000).height, 750);
    EXPECT_EQ(host::PictureFor(641, 481).width, 640);
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
