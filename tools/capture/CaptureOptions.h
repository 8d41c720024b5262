#pragma once
// The capture tool's command line.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Frames per second as a ratio (60, or 60000/1001). Frame n starts at n * den / num seconds.
struct FrameRate {
    std::uint32_t num = 60;
    std::uint32_t den = 1;

    double SecondsOf(std::uint64_t frame) const { return static_cast<double>(frame) * den / num; }
    // The first frame that starts at or after `seconds` (never before 0).
    std::uint64_t FirstFrameAtOrAfter(double seconds) const;
    // The last frame that starts at or before `seconds`.
    std::uint64_t LastFrameAtOrBefore(double seconds) const;
};

struct CaptureOptions {
    FrameRate fps;
    std::optional<double> from; // seconds of music
    std::optional<double> to;
    std::vector<double> at; // single frames
    int width = 640;        // output frame size; the 4:3 picture is centred in it
    int height = 480;
    int supersample = 1;
    std::string outDir;       // numbered PNG files
    std::string video;        // .mp4 or .mkv through ffmpeg
    std::string scene;        // scene mode: one scene by name
    std::string contactSheet; // one PNG with a frame from each timeline window
    bool benchmark = false;   // frames per second per timeline window, no output
    bool help = false;
};

// Parses argv; on a bad option returns nothing and sets `error` to a one-line explanation.
std::optional<CaptureOptions> ParseCaptureOptions(int argc, const char* const* argv,
                                                  std::string& error);

const char* CaptureUsage();

// The largest 4:3 picture that fits the output size (1920 x 1080 gives 1440 x 1080).
struct PictureSize {
    int width;
    int height;
};
PictureSize PictureFor(int outputWidth, int outputHeight);
