#pragma once
// Video output: raw frames piped to ffmpeg, which encodes H.264 at a constant frame rate, tags
// it BT.709 and muxes the soundtrack from the first captured frame's time on.

#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FrameSink.h"

#include <sys/types.h>

// True when an executable ffmpeg is on the PATH.
bool FfmpegAvailable();

class VideoSink : public FrameSink {
  public:
    VideoSink(std::string file, std::string music, FrameRate fps, double startSeconds);
    ~VideoSink() override;
    VideoSink(const VideoSink&) = delete;
    VideoSink& operator=(const VideoSink&) = delete;

    bool Write(const Frame& frame) override;
    bool Finish() override;

  private:
    bool Start(int width, int height);

    std::string file;
    std::string music;
    FrameRate fps;
    double startSeconds;
    pid_t encoder = -1;
    int pipe = -1; // write end of the encoder's standard input
};
