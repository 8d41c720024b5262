// The capture tool end to end: repeatable frames, skipped frames that leave every clock where
// it would be, the video container, and its refusals.

#include "CaptureRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string FrameFile(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame);
    return name;
}

// Skips the test when the show has no scene at the captured time in this build.
#define CAPTURE_OR_SKIP(arguments)                                                                 \
    do {                                                                                           \
        std::string log;                                                                           \
        const int status = RunCapture(arguments, &log);                                            \
        if (status != 0 && log.find("no frames were captured") != std::string::npos) {             \
            GTEST_SKIP() << "no scene at that time in this build";                                 \
        }                                                                                          \
        ASSERT_EQ(status, 0) << log;                                                               \
    } while (false)

TEST(CaptureRun, TwoCapturesOfARangeAreBitIdentical) {
    ScratchFolder first;
    ScratchFolder second;
    const std::string range = " --from 1 --to 1.25 --size 160x120 --out ";
    CAPTURE_OR_SKIP(range + first.Path().string());
    CAPTURE_OR_SKIP(range + second.Path().string());
    int compared = 0;
    for (int frame = 60; frame <= 75; ++frame) {
        const std::string a = ReadBytes(first.Path() / FrameFile(frame));
        ASSERT_FALSE(a.empty()) << FrameFile(frame);
        EXPECT_EQ(a, ReadBytes(second.Path() / FrameFile(frame))) << FrameFile(frame);
        ++compared;
    }
    EXPECT_EQ(compared, 16);
}

TEST(CaptureRun, StartingLaterGivesTheSameFramesAsRunningFromTheStart) {
    ScratchFolder whole;
    ScratchFolder later;
    CAPTURE_OR_SKIP("--from 0 --to 5.99 --size 160x120 --out " + whole.Path().string());
    CAPTURE_OR_SKIP("--from 5 --to 5.99 --size 160x120 --out " + later.Path().string());
    EXPECT_FALSE(fs::exists(later.Path() / FrameFile(299)));
    for (int frame = 300; frame <= 359; ++frame) {
        const std::string a = ReadBytes(whole.Path() / FrameFile(frame));
        ASSERT_FALSE(a.empty()) << FrameFile(frame);
        EXPECT_EQ(a, ReadBytes(later.Path() / FrameFile(frame))) << FrameFile(frame);
    }
}

std::string Probe(const fs::path& video, const std::string& entries) {
    const std::string command =
        "ffprobe -v error -of default=noprint_wrappers=1 " + entries + " '" + video.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[512];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    if (pipe != nullptr) {
        pclose(pipe);
    }
    return out;
}

double ProbeValue(const std::string& probe, const std::string& key) {
    const auto at = probe.find(key + "=");
    return at == std::string::npos ? -1.0 : std::atof(probe.c_str() + at + key.size() + 1);
}

TEST(CaptureRun, VideoHasAConstantRateBothStreamsAndAlignedSound) {
    if (std::system("command -v ffprobe >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ffprobe is not installed";
    }
    ScratchFolder folder;
    const fs::path video = folder.Path() / "clip.mp4";
    CAPTURE_OR_SKIP("--from 10 --to 11 --fps 60000/1001 --size 320x240 --video " + video.string());
    const std::string picture =
        Probe(video, "-select_streams v:0 -show_entries "
                     "stream=codec_type,width,height,r_frame_rate,avg_frame_rate,color_space,"
                     "start_time,nb_frames");
    EXPECT_NE(picture.find("codec_type=video"), std::string::npos) << picture;
    EXPECT_NE(picture.find("width=320"), std::string::npos) << picture;
    EXPECT_NE(picture.find("height=240"), std::string::npos) << picture;
    EXPECT_NE(picture.find("r_frame_rate=60000/1001"), std::string::npos) << picture;
    EXPECT_NE(picture.find("avg_frame_rate=60000/1001"), std::string::npos) << picture;
    EXPECT_NE(picture.find("color_space=bt709"), std::string::npos) << picture;

    const std::string sound =
        Probe(video, "-select_streams a:0 -show_entries stream=codec_type,sample_rate,start_time");
    EXPECT_NE(sound.find("codec_type=audio"), std::string::npos) << sound;
    // Within one audio frame (1,024 samples at 44.1 kHz) of the picture.
    EXPECT_NEAR(ProbeValue(sound, "start_time"), ProbeValue(picture, "start_time"),
                1024.0 / 44100.0);
}

TEST(CaptureRun, RefusesBadRequestsWithAClearMessage) {
    std::string log;
    EXPECT_EQ(RunCapture("--fps zero --out /tmp/x", &log), 2);
    EXPECT_NE(log.find("--fps"), std::string::npos) << log;

    log.clear();
    EXPECT_EQ(RunCapture("--at 1 --out /proc/vellomire-not-writable", &log), 1);
    EXPECT_NE(log.find("cannot write"), std::string::npos) << log;

    log.clear();
    const std::string noFfmpeg =
        std::string("env PATH=/nonexistent ") + VELLOMIRE_CAPTURE + " --video /tmp/x.mp4 2>&1";
    FILE* pipe = popen(noFfmpeg.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        log += buffer;
    }
    EXPECT_NE(pclose(pipe), 0);
    EXPECT_NE(log.find("ffmpeg"), std::string::npos) << log;
}

} // namespace
