#include "tools/capture/CaptureOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// Frame boundaries are compared with a tolerance far below a frame, so a time given in
// decimal (16.70001) lands on the frame it names despite binary rounding.
constexpr double frameTolerance = 1e-6;

bool ParseDouble(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

template <class Int> bool ParseInt(std::string_view text, Int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool ParseFrameRate(std::string_view text, FrameRate& rate) {
    const auto slash = text.find('/');
    std::uint32_t num = 0;
    std::uint32_t den = 1;
    if (slash == std::string_view::npos) {
        if (!ParseInt(text, num)) {
            return false;
        }
    } else if (!ParseInt(text.substr(0, slash), num) || !ParseInt(text.substr(slash + 1), den)) {
        return false;
    }
    if (num == 0 || den == 0 || static_cast<double>(num) / den > 1000.0) {
        return false;
    }
    rate = {num, den};
    return true;
}

bool ParseSize(std::string_view text, int& width, int& height) {
    const auto x = text.find('x');
    if (x == std::string_view::npos) {
        return false;
    }
    return ParseInt(text.substr(0, x), width) && ParseInt(text.substr(x + 1), height) &&
           width >= 4 && height >= 3 && width <= 8192 && height <= 8192;
}

bool ParseTimes(std::string_view text, std::vector<double>& times) {
    while (!text.empty()) {
        const auto comma = text.find(',');
        double seconds = 0;
        if (!ParseDouble(text.substr(0, comma), seconds) || seconds < 0) {
            return false;
        }
        times.push_back(seconds);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    return !times.empty();
}

} // namespace

std::uint64_t FrameRate::FirstFrameAtOrAfter(double seconds) const {
    if (seconds <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(std::ceil(seconds * num / den - frameTolerance));
}

std::uint64_t FrameRate::LastFrameAtOrBefore(double seconds) const {
    if (seconds <= 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(std::floor(seconds * num / den + frameTolerance));
}

PictureSize PictureFor(int outputWidth, int outputHeight) {
    const int unit = std::min(outputWidth / 4, outputHeight / 3);
    return {unit * 4, unit * 3};
}

const char* CaptureUsage() {
    return "Usage: vellomire-capture [options]\n"
           "Renders the show (or one scene) on a virtual clock, frame by frame.\n"
           "\n"
           "  --fps N|NUM/DEN      frames per second, e.g. 60 or 60000/1001 (default 60)\n"
           "  --from S --to S      capture only this range of music time, in seconds\n"
           "  --at S[,S...]        capture single frames at these times\n"
           "  --size WxH           output size (default 640x480); the 4:3 picture is rendered\n"
           "                       at the largest size that fits and centred\n"
           "  --supersample N      render N times larger in each direction and average down\n"
           "  --out DIR            write numbered PNG files (frame-000000.png, ...)\n"
           "  --video FILE         write a video (.mp4 or .mkv) with the soundtrack, via ffmpeg\n"
           "  --scene NAME         run one scene only (Schtar, Stekelz, Polez, ZwartEnWit,\n"
           "                       Test, Wendo, Marble); default range: its first window\n"
           "  --contact-sheet FILE one PNG with a frame from the middle of each timeline window\n"
           "  --benchmark          no output; frames per second per timeline window\n"
           "  --help               this text\n"
           "\n"
           "The content is read from Data/ in the working directory, or next to the program.\n";
}

std::optional<CaptureOptions> ParseCaptureOptions(int argc, const char* const* argv,
                                                  std::string& error) {
    CaptureOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--benchmark") {
            options.benchmark = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(name) +
                    (name.rfind("--", 0) == 0 ? " needs a value" : ": unknown option");
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        bool good = true;
        double seconds = 0;
        if (name == "--fps") {
            good = ParseFrameRate(value, options.fps);
        } else if (name == "--from" || name == "--to") {
            good = ParseDouble(value, seconds) && seconds >= 0;
            (name == "--from" ? options.from : options.to) = seconds;
        } else if (name == "--at") {
            good = ParseTimes(value, options.at);
        } else if (name == "--size") {
            good = ParseSize(value, options.width, options.height);
        } else if (name == "--supersample") {
            good = ParseInt(value, options.supersample) && options.supersample >= 1 &&
                   options.supersample <= 4;
        } else if (name == "--out") {
            options.outDir = value;
        } else if (name == "--video") {
            options.video = value;
            const bool container = value.ends_with(".mp4") || value.ends_with(".mkv");
            if (!container) {
                error = "--video: the file name must end in .mp4 or .mkv";
                return std::nullopt;
            }
        } else if (name == "--scene") {
            options.scene = value;
        } else if (name == "--contact-sheet") {
            options.contactSheet = value;
        } else {
            error = std::string(name) + ": unknown option (see --help)";
            return std::nullopt;
        }
        if (!good) {
            error = std::string(name) + ": bad value '" + std::string(value) + "'";
            return std::nullopt;
        }
    }
    if (options.from && options.to && *options.to < *options.from) {
        error = "--to lies before --from";
        return std::nullopt;
    }
    if (!options.at.empty() && (options.from || options.to)) {
        error = "--at cannot be combined with --from or --to";
        return std::nullopt;
    }
    const int outputs = !options.outDir.empty() + !options.video.empty() +
                        !options.contactSheet.empty() + options.benchmark;
    if (outputs > 1) {
        error = "choose one of --out, --video, --contact-sheet and --benchmark";
        return std::nullopt;
    }
    if (outputs == 0 && !options.help) {
        error = "nothing to write: give --out, --video, --contact-sheet or --benchmark";
        return std::nullopt;
    }
    if (!options.video.empty() && !options.at.empty()) {
        error = "--at makes single frames; use --out with it, not --video";
        return std::nullopt;
    }
    return options;
}
