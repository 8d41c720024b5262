#pragma once
// Video output: raw frames piped to ffmpeg, which encodes them at a constant frame rate and
// muxes the soundtrack from the first captured frame's time on, as the engine decodes it (a
// temporary WAV file). H.264 (tagged BT.709) with AAC sound by default; FFV1 with FLAC for a
// lossless video (tagged as full-range sRGB).

#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FrameSink.h"

#include <sys/types.h>

class VideoSink : public FrameSink {
  public:
    struct Settings {
        std::string file;
        std::string music; // the soundtrack file
        FrameRate fps;
        double startSeconds = 0; // music time of the first frame
        int width = 0;           // of every frame
        int height = 0;
        VideoEncoding encoding;
        // Tags of the file (how it was made), as ffprobe shows them.
        std::vector<std::pair<std::string, std::string>> metadata;
    };

    explicit VideoSink(Settings settings);
    ~VideoSink() override;
    VideoSink(const VideoSink&) = delete;
    VideoSink& operator=(const VideoSink&) = delete;

    // Decodes the soundtrack and starts ffmpeg; false (with Error set) when either fails.
    bool Start();
    bool Write(const Frame& frame) override;
    // Ends the input, so the video holds every frame written, and waits for ffmpeg.
    bool Finish() override;

    // ffmpeg's arguments for these settings, reading the frames from standard input and the
    // sound from the WAV file `sound`.
    static std::vector<std::string> Arguments(const Settings& settings, const std::string& sound);

  private:
    Settings settings;
    pid_t encoder = -1;
    int pipe = -1; // write end of the encoder's standard input
    bool written = false;
    std::string sound; // the temporary WAV file, removed with the sink
};
