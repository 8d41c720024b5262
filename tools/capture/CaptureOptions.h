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

// How a video is encoded.
struct VideoEncoding {
    std::string preset = "veryfast"; // x264's speed preset
    int crf = 13;                    // x264's constant rate factor, 0 (best) to 51
    bool lossless = false;           // FFV1 in Matroska with FLAC sound instead of H.264/AAC
    std::vector<std::string> extraArguments; // handed to ffmpeg before the output file
};

struct CaptureOptions {
    FrameRate fps;
    std::optional<double> from; // seconds of music
    std::optional<double> to;
    std::vector<double> at; // single frames
    int width = 640;        // output frame size; the 4:3 picture is centred in it
    int height = 480;
    int supersample = 1;
    int jobs = 0;       // writer threads for PNG files; 0: one per processor
    std::string outDir; // numbered PNG files
    std::string video;  // .mp4 or .mkv through ffmpeg
    VideoEncoding encoding;
    std::string wav;          // the soundtrack of the captured range
    std::string framemd5;     // per-frame checksums of the captured frames
    std::string scene;        // scene mode: one scene by name
    std::string contactSheet; // one PNG with a frame from each timeline window
    bool benchmark = false;   // frames per second per timeline window, no output
    bool verbose = false;     // the engine's debugger texts on stderr
    bool help = false;
    bool version = false;
    bool listWindows = false; // print the show's timeline and stop
};

// Parses argv in the GNU way (--name value, --name=value, -h, -V, -v); on a bad option
// returns nothing and sets `error` to a one-line explanation.
std::optional<CaptureOptions> ParseCaptureOptions(int argc, char* const* argv, std::string& error);

const char* CaptureUsage();

// The last moment of the show's timeline, in seconds.
inline constexpr double showEndSeconds = 203.0;
