#include "tools/capture/CaptureOptions.h"

#include "platform/win32/Host.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <getopt.h>
#include <iterator>
#include <string_view>

namespace {

// Frame boundaries are compared with a tolerance far below a frame, so a time given in
// decimal (16.70001) lands on the frame it names despite binary rounding.
constexpr double frameTolerance = 1e-6;

// The largest colour buffer made for a capture, in pixels along either side.
constexpr int maxRenderSize = 8192;

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

const char* CaptureUsage() {
    return "Usage: vellomire-capture [options]\n"
           "Renders the show (or one scene) on a virtual clock, frame by frame, exactly\n"
           "repeatably. Options take their value as '--name value' or '--name=value'.\n"
           "\n"
           "What to capture:\n"
           "  --from S, --to S      only this range of music time, in seconds (0 to 203)\n"
           "  --at S[,S...]         single frames at these times (PNG output only)\n"
           "  --scene NAME          only the frames where this scene plays (Schtar, Stekelz,\n"
           "                        Polez, ZwartEnWit, Test, Wendo, Marble), exactly as in the\n"
           "                        show; without --from/--to/--at, its first window\n"
           "  --fps N|NUM/DEN       frames per second, e.g. 60 or 60000/1001 (default 60)\n"
           "  --size WxH            output size (default 640x480); the 4:3 picture is rendered\n"
           "                        at the largest size that fits, centred, black around it\n"
           "  --supersample N       render N (1 to 4) times larger in each direction and\n"
           "                        average down\n"
           "\n"
           "Where it goes (one of these):\n"
           "  --out DIR             numbered PNG files (DIR/frame-000000.png, ...)\n"
           "  --video FILE          a video (.mp4 or .mkv) with the soundtrack, via ffmpeg\n"
           "  --contact-sheet FILE  one PNG with a typical frame of each timeline window\n"
           "  --benchmark           no output: frames per second and processor milliseconds per\n"
           "                        frame (all threads) for each timeline window\n"
           "  --framemd5 FILE       also an MD5 of each frame's RGB bytes, in ffmpeg's framemd5\n"
           "                        format, with --out or --video\n"
           "  --wav FILE            also (or only) the soundtrack of the captured range as the\n"
           "                        player decodes it: 16-bit WAV at the soundtrack's rate\n"
           "\n"
           "Video encoding:\n"
           "  --preset NAME         x264 speed preset, ultrafast to veryslow (default veryfast)\n"
           "  --crf N               x264 quality, 0 (best) to 51 (default 13)\n"
           "  --lossless            FFV1 with FLAC sound instead of H.264 with AAC: every pixel\n"
           "                        kept exactly (needs a .mkv file)\n"
           "  --ffmpeg-args 'ARGS'  extra ffmpeg output options, split at blanks, placed just\n"
           "                        before the file name (e.g. '-tune animation'); may repeat\n"
           "\n"
           "Other:\n"
           "  --jobs N              threads writing PNG files (default: one per processor)\n"
           "  -v, --verbose         also show the engine's debugger texts\n"
           "  -h, --help            this text\n"
           "  -V, --version         the program's version\n"
           "  --list-windows        the show's timeline, a window a line: scene, start and end\n"
           "                        in seconds of music\n"
           "\n"
           "The content is read from Data/ in the working directory, else next to the program,\n"
           "else from share/vellomire/Data where the program is installed.\n"
           "Ctrl-C (or SIGTERM) stops cleanly: the frames so far are kept and a video plays up\n"
           "to its last frame; the exit status is then 130 (or 143).\n";
}

namespace {

enum Key : int {
    keyFps = 1000,
    keyFrom,
    keyTo,
    keyAt,
    keySize,
    keySupersample,
    keyOut,
    keyVideo,
    keyScene,
    keyContactSheet,
    keyBenchmark,
    keyListWindows,
    keyWav,
    keyPreset,
    keyCrf,
    keyLossless,
    keyFfmpegArgs,
    keyJobs,
    keyFramemd5,
};

constexpr option longOptions[] = {
    {"fps", required_argument, nullptr, keyFps},
    {"from", required_argument, nullptr, keyFrom},
    {"to", required_argument, nullptr, keyTo},
    {"at", required_argument, nullptr, keyAt},
    {"size", required_argument, nullptr, keySize},
    {"supersample", required_argument, nullptr, keySupersample},
    {"out", required_argument, nullptr, keyOut},
    {"video", required_argument, nullptr, keyVideo},
    {"scene", required_argument, nullptr, keyScene},
    {"contact-sheet", required_argument, nullptr, keyContactSheet},
    {"benchmark", no_argument, nullptr, keyBenchmark},
    {"list-windows", no_argument, nullptr, keyListWindows},
    {"wav", required_argument, nullptr, keyWav},
    {"preset", required_argument, nullptr, keyPreset},
    {"crf", required_argument, nullptr, keyCrf},
    {"lossless", no_argument, nullptr, keyLossless},
    {"ffmpeg-args", required_argument, nullptr, keyFfmpegArgs},
    {"jobs", required_argument, nullptr, keyJobs},
    {"framemd5", required_argument, nullptr, keyFramemd5},
    {"verbose", no_argument, nullptr, 'v'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

constexpr const char* x264Presets[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                       "medium",    "slow",      "slower",   "veryslow"};

std::string NameOf(int key) {
    for (const option& o : longOptions) {
        if (o.name != nullptr && o.val == key) {
            return std::string("--") + o.name;
        }
    }
    return "?";
}

bool SplitArguments(std::string_view text, std::vector<std::string>& into) {
    const std::size_t before = into.size();
    while (!text.empty()) {
        const auto start = text.find_first_not_of(" \t");
        if (start == std::string_view::npos) {
            break;
        }
        text.remove_prefix(start);
        const auto end = text.find_first_of(" \t");
        into.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end);
    }
    return into.size() > before;
}

// Checks one option's value and stores it; false when the value is not acceptable.
bool Take(int key, std::string_view value, CaptureOptions& options) {
    double seconds = 0;
    switch (key) {
    case keyFps:
        return ParseFrameRate(value, options.fps);
    case keyFrom:
    case keyTo:
        if (!ParseDouble(value, seconds) || seconds < 0) {
            return false;
        }
        (key == keyFrom ? options.from : options.to) = seconds;
        return true;
    case keyAt:
        options.at.clear();
        return ParseTimes(value, options.at);
    case keySize:
        return ParseSize(value, options.width, options.height);
    case keySupersample:
        return ParseInt(value, options.supersample) && options.supersample >= 1 &&
               options.supersample <= 4;
    case keyJobs:
        return ParseInt(value, options.jobs) && options.jobs >= 1 && options.jobs <= 64;
    case keyCrf:
        return ParseInt(value, options.encoding.crf) && options.encoding.crf >= 0 &&
               options.encoding.crf <= 51;
    case keyPreset:
        options.encoding.preset = value;
        return std::find(std::begin(x264Presets), std::end(x264Presets), value) !=
               std::end(x264Presets);
    case keyFfmpegArgs:
        return SplitArguments(value, options.encoding.extraArguments);
    case keyOut:
        options.outDir = value;
        return !value.empty();
    case keyVideo:
        options.video = value;
        return value.ends_with(".mp4") || value.ends_with(".mkv");
    case keyFramemd5:
        options.framemd5 = value;
        return !value.empty();
    case keyWav:
        options.wav = value;
        return value.ends_with(".wav");
    case keyScene:
        options.scene = value;
        return !value.empty();
    case keyContactSheet:
        options.contactSheet = value;
        return !value.empty();
    default:
        return false;
    }
}

// The relations between options, once all are read; empty when they fit together.
std::string CheckCombination(const CaptureOptions& options, const std::vector<int>& given) {
    const auto has = [&given](int key) {
        return std::find(given.begin(), given.end(), key) != given.end();
    };
    const auto late = [](const std::string& name, double seconds) {
        char text[96];
        std::snprintf(text, sizeof text, "%s %g lies after the end of the show (203 s)",
                      name.c_str(), seconds);
        return std::string(text);
    };
    for (const double seconds : options.at) {
        if (seconds > showEndSeconds) {
            return late("--at", seconds);
        }
    }
    if (options.from && *options.from > showEndSeconds) {
        return late("--from", *options.from);
    }
    if (options.to && *options.to > showEndSeconds) {
        return late("--to", *options.to);
    }
    if (options.from && options.to && *options.to < *options.from) {
        return "--to lies before --from";
    }
    if (!options.at.empty() && (options.from || options.to)) {
        return "--at cannot be combined with --from or --to";
    }
    const int outputs = !options.outDir.empty() + !options.video.empty() +
                        !options.contactSheet.empty() + options.benchmark;
    if (outputs > 1) {
        return "choose one of --out, --video, --contact-sheet and --benchmark";
    }
    if (outputs == 0 && options.wav.empty()) {
        return "nothing to write: give --out, --video, --contact-sheet, --benchmark or --wav";
    }
    if (!options.at.empty() && (!options.video.empty() || !options.wav.empty())) {
        return "--at makes single frames; use --out with it, not --video or --wav";
    }
    if (!options.wav.empty() && (!options.contactSheet.empty() || options.benchmark)) {
        return "--wav goes with --out or --video, or alone";
    }
    if (!options.framemd5.empty() && options.outDir.empty() && options.video.empty()) {
        return "--framemd5 goes with --out or --video";
    }
    if (options.video.empty() &&
        (has(keyPreset) || has(keyCrf) || has(keyLossless) || has(keyFfmpegArgs))) {
        return "--preset, --crf, --lossless and --ffmpeg-args apply to --video only";
    }
    if (options.encoding.lossless && (has(keyPreset) || has(keyCrf))) {
        return "--lossless keeps every pixel; --preset and --crf are for H.264";
    }
    if (options.encoding.lossless && !options.video.ends_with(".mkv")) {
        return "--lossless writes FFV1, which needs a .mkv file";
    }
    if (!options.video.empty() && (options.width % 2 != 0 || options.height % 2 != 0)) {
        return "--video needs an even width and height";
    }
    const host::PictureSize picture = host::PictureFor(options.width, options.height);
    if (std::max(picture.width, picture.height) * options.supersample > maxRenderSize) {
        return "--size with --supersample renders more than " + std::to_string(maxRenderSize) +
               " pixels across; choose a smaller size or factor";
    }
    return {};
}

} // namespace

std::optional<CaptureOptions> ParseCaptureOptions(int argc, char* const* argv, std::string& error) {
    CaptureOptions options;
    std::vector<int> given;
    optind = 0; // a fresh scan, also when called again
    opterr = 0; // the messages are ours
    for (;;) {
        const int key = getopt_long(argc, argv, ":hVv", longOptions, nullptr);
        if (key == -1) {
            break;
        }
        // The word that held the option, for messages.
        const std::string spelled = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        switch (key) {
        case 'h':
            options.help = true;
            continue;
        case 'V':
            options.version = true;
            continue;
        case 'v':
            options.verbose = true;
            continue;
        case keyBenchmark:
            options.benchmark = true;
            continue;
        case keyListWindows:
            options.listWindows = true;
            continue;
        case keyLossless:
            options.encoding.lossless = true;
            given.push_back(key);
            continue;
        case ':':
            error = spelled.substr(0, spelled.find('=')) + " needs a value";
            return std::nullopt;
        case '?':
            error = (optopt != 0 ? std::string("-") + static_cast<char>(optopt) : spelled) +
                    ": unknown option (see --help)";
            return std::nullopt;
        default:
            break;
        }
        const std::string_view value = optarg != nullptr ? optarg : "";
        if (!Take(key, value, options)) {
            error = NameOf(key) + ": bad value '" + std::string(value) + "'";
            if (key == keyVideo) {
                error += " (the file name must end in .mp4 or .mkv)";
            } else if (key == keyWav) {
                error += " (the file name must end in .wav)";
            } else if (key == keyPreset) {
                error += " (ultrafast, superfast, veryfast, faster, fast, medium, slow, slower "
                         "or veryslow)";
            }
            return std::nullopt;
        }
        given.push_back(key);
    }
    if (optind < argc) {
        error = std::string("unexpected argument '") + argv[optind] + "' (see --help)";
        return std::nullopt;
    }
    if (options.help || options.version || options.listWindows) {
        return options;
    }
    if (error = CheckCombination(options, given); !error.empty()) {
        return std::nullopt;
    }
    return options;
}
