// The capture tool end to end: repeatable frames, skipped frames that leave every clock where
// it would be, scene mode against the show, the video containers, failures and signals, and
// its refusals.

#include "CaptureRun.h"
#include "sound/audio/Mp3Decoder.h"
#include "support/Mp3Fixture.h"
#include "tools/capture/CaptureOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <vector>

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

std::string CommandOutput(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    std::size_t got = 0;
    while (pipe != nullptr && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, got);
    }
    if (pipe != nullptr) {
        pclose(pipe);
    }
    return out;
}

std::string Probe(const fs::path& video, const std::string& entries) {
    return CommandOutput("ffprobe -v error -of default=noprint_wrappers=1 " + entries + " '" +
                         video.string() + "'");
}

std::string ProbeText(const std::string& probe, const std::string& key) {
    const auto at = probe.find(key + "=");
    if (at == std::string::npos) {
        return {};
    }
    const auto from = at + key.size() + 1;
    return probe.substr(from, probe.find('\n', from) - from);
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

TEST(CaptureRun, SceneModeGivesTheShowsFramesInEveryWindow) {
    // A time inside each timeline window; Schtar's second window runs on the clock its first
    // one started, Marble on the random sequence of every earlier scene's start-up.
    const std::map<std::string, std::vector<std::string>> times = {
        {"Schtar", {"8", "59.25"}}, {"Stekelz", {"32.5"}}, {"Polez", {"73"}},
        {"ZwartEnWit", {"92.5"}},   {"Test", {"118.5"}},   {"Wendo", {"144.5"}},
        {"Marble", {"180"}}};
    ScratchFolder show;
    std::string all;
    for (const auto& [scene, list] : times) {
        for (const std::string& t : list) {
            all += (all.empty() ? "" : ",") + t;
        }
    }
    CAPTURE_OR_SKIP("--at " + all + " --size 160x120 --out " + show.Path().string());
    const FrameRate fps{60, 1};
    for (const auto& [scene, list] : times) {
        SCOPED_TRACE(scene);
        ScratchFolder alone;
        std::string at;
        for (const std::string& t : list) {
            at += (at.empty() ? "" : ",") + t;
        }
        CAPTURE_OR_SKIP("--scene " + scene + " --at " + at + " --size 160x120 --out " +
                        alone.Path().string());
        for (const std::string& t : list) {
            const std::string file =
                FrameFile(static_cast<int>(fps.FirstFrameAtOrAfter(std::stod(t))));
            const RgbPicture expected = ReadPng(show.Path() / file);
            ASSERT_FALSE(expected.rgb.empty()) << file;
            EXPECT_EQ(ReadPng(alone.Path() / file).rgb, expected.rgb) << file;
        }
    }
}

// The hash column of a framemd5 file, one line a frame.
std::vector<std::string> FrameHashes(const std::string& framemd5) {
    std::vector<std::string> hashes;
    std::istringstream lines(framemd5);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line[0] != '#') {
            hashes.push_back(line.substr(line.rfind(' ') + 1));
        }
    }
    return hashes;
}

TEST(CaptureRun, LosslessVideoKeepsEveryPixelAndTheWavCoversTheRange) {
    if (std::system("command -v ffprobe >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ffprobe is not installed";
    }
    ScratchFolder folder;
    const fs::path video = folder.Path() / "clip.mkv";
    const fs::path wav = folder.Path() / "clip.wav";
    const std::string range = "--from 10 --to 10.25 --size 160x120 ";
    const fs::path framemd5 = folder.Path() / "clip.framemd5";
    CAPTURE_OR_SKIP(range + "--lossless --video " + video.string() + " --wav " + wav.string() +
                    " --framemd5 " + framemd5.string());
    CAPTURE_OR_SKIP(range + "--out " + (folder.Path() / "png").string());
    const std::string decode = "ffmpeg -loglevel error -nostdin -i '" + video.string() + "' '" +
                               (folder.Path() / "decoded-%02d.png").string() + "'";
    ASSERT_EQ(std::system(decode.c_str()), 0);
    for (int i = 0; i < 16; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "decoded-%02d.png", i + 1);
        const RgbPicture decoded = ReadPng(folder.Path() / name);
        ASSERT_FALSE(decoded.rgb.empty()) << name;
        EXPECT_EQ(decoded.rgb, ReadPng(folder.Path() / "png" / FrameFile(600 + i)).rgb) << name;
    }
    // 16 frames at 60 per second: 11,760 samples at 44.1 kHz.
    const std::string sound = Probe(wav, "-show_entries stream=sample_rate,channels,duration_ts");
    EXPECT_NE(sound.find("sample_rate=44100"), std::string::npos) << sound;
    EXPECT_NE(sound.find("channels=2"), std::string::npos) << sound;
    EXPECT_NEAR(ProbeValue(sound, "duration_ts"), 11760.0, 1.0) << sound;

    // The archive's own record: checksums that ffmpeg reproduces from the file, how it was
    // made, and its colours.
    const std::vector<std::string> hashes = FrameHashes(ReadBytes(framemd5));
    EXPECT_EQ(hashes.size(), 16u);
    EXPECT_EQ(hashes,
              FrameHashes(CommandOutput("ffmpeg -loglevel error -nostdin -i '" + video.string() +
                                        "' -map 0:v -pix_fmt rgb24 -f framemd5 -")));
    std::string tags = Probe(video, "-show_entries format_tags");
    std::transform(tags.begin(), tags.end(), tags.begin(), ::tolower); // Matroska's are upper
    EXPECT_NE(tags.find("software=vellomire-capture "), std::string::npos) << tags;
    EXPECT_NE(tags.find("capture_options=" + range + "--lossless"), std::string::npos) << tags;
    EXPECT_EQ(ProbeText(tags, "data_md5").size(), 32u) << tags;
    const std::string colour =
        Probe(video, "-select_streams v:0 -show_entries "
                     "stream=color_space,color_transfer,color_primaries,color_range");
    for (const char* tag : {"color_space=gbr", "color_transfer=iec61966-2-1",
                            "color_primaries=bt709", "color_range=pc"}) {
        EXPECT_NE(colour.find(tag), std::string::npos) << colour;
    }
}

// The working directory for one scope.
class WorkingFolder {
  public:
    explicit WorkingFolder(const fs::path& folder) : previous(fs::current_path()) {
        fs::current_path(folder);
    }
    ~WorkingFolder() { fs::current_path(previous); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

  private:
    fs::path previous;
};

// Soundtracks that the player takes and ffmpeg does not take as they are: the sound of --wav
// and of a lossless video is still, sample for sample, what the player decodes.
TEST(CaptureRun, SoundIsThePlayersOwnDecode) {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    ToneSpec freeFormat;
    freeFormat.frames = 2 * 44100;
    freeFormat.freeFormat = true;
    ToneSpec plain;
    plain.frames = 2 * 44100;
    const struct {
        const char* what;
        ToneSpec tone;
        std::size_t junk; // zero bytes before the first frame
    } cases[] = {{"free format", freeFormat, 0}, {"junk before the first frame", plain, 3000}};
    constexpr std::size_t kSamples = 11760; // 16 frames at 60 per second, from 1 s on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        const fs::path data = folder.Path() / "Data";
        fs::create_directory(data);
        for (const auto& entry : fs::directory_iterator(VELLOMIRE_DATA_DIR)) {
            if (entry.path().filename() != "Demo.mp3") {
                fs::create_symlink(entry.path(), data / entry.path().filename());
            }
        }
        std::vector<std::uint8_t> mp3(c.junk, 0);
        const std::vector<std::uint8_t> tone = MakeToneMp3(c.tone);
        mp3.insert(mp3.end(), tone.begin(), tone.end());
        WriteBytes((data / "Demo.mp3").string(), mp3);

        Mp3Decoder::OpenError error{};
        const auto decoder = Mp3Decoder::Open(mp3, {}, error);
        ASSERT_TRUE(decoder);
        ASSERT_TRUE(decoder->Seek(44100));
        std::string played(kSamples * 4, '\0');
        ASSERT_EQ(decoder->Read(played.data(), kSamples), kSamples);

        const WorkingFolder here(folder.Path());
        CAPTURE_OR_SKIP("--from 1 --to 1.25 --size 160x120 --lossless --video clip.mkv --wav "
                        "clip.wav");
        const std::string wav = ReadBytes(folder.Path() / "clip.wav");
        ASSERT_EQ(wav.size(), 44 + played.size());
        EXPECT_TRUE(wav.substr(44) == played);
        // -shortest may end the sound a little before or after the last frame.
        const std::string muxed = CommandOutput(
            "ffmpeg -loglevel error -nostdin -i clip.mkv -map 0:a -f s16le - 2>/dev/null");
        ASSERT_GT(muxed.size(), played.size() * 3 / 4);
        const std::size_t common = std::min(muxed.size(), played.size());
        EXPECT_TRUE(muxed.compare(0, common, played, 0, common) == 0);
    }
}

// A symbolic link to /dev/full: every write to it fails as on a full disk.
void FullDiskAt(const fs::path& file) {
    fs::create_directories(file.parent_path());
    fs::create_symlink("/dev/full", file);
}

TEST(CaptureRun, FailedWritesEndWithAMessageAndAFailureStatus) {
    ScratchFolder folder;
    const fs::path fakeBin = folder.Path() / "bin";
    fs::create_directories(fakeBin);
    std::ofstream(fakeBin / "ffmpeg") << "#!/bin/sh\nexit 1\n";
    fs::permissions(fakeBin / "ffmpeg", fs::perms::owner_all);
    const std::string video = " --from 1 --to 1.5 --size 160x120 --video ";
    FullDiskAt(folder.Path() / "png" / FrameFile(60));
    FullDiskAt(folder.Path() / "full.mp4");
    struct Case {
        std::string arguments;
        std::string path; // PATH for the run; empty: unchanged
        std::string says;
    };
    const std::vector<Case> cases = {
        {"--at 1 --out " + (folder.Path() / "png").string(), "", "No space left on device"},
        {video + (folder.Path() / "full.mp4").string(), "", "ffmpeg"},
        {video + (folder.Path() / "dies.mp4").string(), fakeBin.string() + ":/usr/bin:/bin",
         "ffmpeg"},
    };
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        setenv("PATH", (c.path.empty() ? path : c.path).c_str(), 1);
        std::string log;
        const int status = RunCapture(c.arguments, &log);
        setenv("PATH", path.c_str(), 1);
        EXPECT_EQ(status, 1) << log;
        EXPECT_EQ(log.find("Wrote"), std::string::npos) << log;
        EXPECT_NE(log.find("vellomire-capture: "), std::string::npos) << log;
        EXPECT_NE(log.find(c.says), std::string::npos) << log;
    }
}

TEST(CaptureRun, SignalsStopTheCaptureWithAVideoOfEveryFrameSoFar) {
    if (std::system("command -v ffprobe >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ffprobe is not installed";
    }
    for (const auto& [signal, status] :
         std::vector<std::pair<int, int>>{{SIGINT, 130}, {SIGTERM, 143}}) {
        SCOPED_TRACE(signal);
        ScratchFolder folder;
        const fs::path video = folder.Path() / "clip.mp4";
        BackgroundCapture capture("--from 1 --to 60 --size 160x120 --video " + video.string());
        // Progress shows when piped too, from the first frame on.
        ASSERT_TRUE(capture.WaitFor("frame 1/")) << capture.Log();
        capture.Signal(signal);
        ASSERT_EQ(capture.Wait(), status) << capture.Log();
        const std::string& log = capture.Log();
        EXPECT_EQ(log.find("Wrote"), std::string::npos) << log;
        const auto after = log.find("after ");
        ASSERT_NE(after, std::string::npos) << log;
        const long frames = std::atol(log.c_str() + after + 6);
        EXPECT_GT(frames, 0) << log;
        const std::string probe =
            Probe(video, "-count_frames -select_streams v:0 -show_entries stream=nb_read_frames");
        EXPECT_EQ(ProbeValue(probe, "nb_read_frames"), static_cast<double>(frames)) << probe;
    }
}

TEST(CaptureRun, RefusesBadRequestsWithAClearMessage) {
    std::string log;
    EXPECT_EQ(RunCapture("--fps zero --out /tmp/x", &log), 2);
    EXPECT_NE(log.find("--fps"), std::string::npos) << log;

    log.clear();
    EXPECT_EQ(RunCapture("--at 1e20 --out /tmp/x", &log), 2);
    EXPECT_NE(log.find("after the end of the show"), std::string::npos) << log;

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
