#pragma once
// The soundtrack of a captured range as a WAV file (16-bit stereo, 44,100 Hz), cut by
// ffmpeg at the music times of the range's first frame and of the frame after its last.

#include <string>

// False, with `error` set to one line, when ffmpeg could not write the file.
bool WriteSoundtrackWav(const std::string& music, const std::string& wav, double startSeconds,
                        double endSeconds, std::string& error);
