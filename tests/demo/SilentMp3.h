#pragma once

#include <filesystem>

// Writes an MP3 file of `seconds` of digital silence: MPEG-1 layer III frames, 44100 Hz
// stereo at 128 kbit/s, whose side information is all zero (no coded samples).
void WriteSilentMp3(const std::filesystem::path& file, double seconds);
