#pragma once
// Video output: raw frames piped to ffmpeg, which encodes them at a constant frame rate and
// muxes the soundtrack from the first captured frame's time on. H.264 (tagged BT.709) with
// AAC sound by default; FFV1 with FLAC for a lossless video.

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
    };

    explicit VideoSink(Settings settings);
    ~VideoSink() override;
    VideoSink(const VideoSink&) = delete;
    VideoSink& operator=(const VideoSink&) = delete;

    // Starts ffmpeg; false (with Error set) when it cannot be started.
    bool Start();
    bool Write(const Frame& frame) override;
    // Ends the input, so the video holds every frame written, and waits for ffmpeg.
    bool Finish() override;

    // ffmpeg's arguments for these settings, reading the frames from standard input.
    static std::vector<std::string> Arguments(const Settings& settings);

  private:
    Settings settings;
    pid_t encoder = -1;
    int pipe = -1; // write end of the encoder's standard input
    bool written = false;
};
