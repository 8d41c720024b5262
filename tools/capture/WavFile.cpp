#include "tools/capture/WavFile.h"

#include "tools/capture/Ffmpeg.h"

#include <cstdio>

bool WriteSoundtrackWav(const std::string& music, const std::string& wav, double startSeconds,
                        double endSeconds, std::string& error) {
    char trim[96];
    // atrim cuts on decoded samples, so the range is exact whatever the file's frame layout.
    std::snprintf(trim, sizeof trim, "atrim=start=%.6f:end=%.6f,asetpts=PTS-STARTPTS", startSeconds,
                  endSeconds);
    const pid_t ffmpeg = StartFfmpeg({"-y", "-i", music, "-map", "0:a:0", "-af", trim, "-ar",
                                      "44100", "-ac", "2", "-c:a", "pcm_s16le", "-f", "wav", wav},
                                     -1);
    if (ffmpeg < 0) {
        error = "could not start ffmpeg to write " + wav;
        return false;
    }
    if (!FfmpegSucceeded(ffmpeg)) {
        error = "ffmpeg failed to write " + wav + " (see its message above)";
        return false;
    }
    return true;
}
