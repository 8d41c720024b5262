#include "SilentMp3.h"

#include <cmath>
#include <fstream>
#include <vector>

void WriteSilentMp3(const std::filesystem::path& file, double seconds) {
    constexpr int samplesPerFrame = 1152;
    constexpr int frameBytes = 144 * 128000 / 44100; // 417, no padding
    std::vector<char> frame(frameBytes, 0);
    // Sync, MPEG-1, layer III, no CRC; 128 kbit/s, 44100 Hz, no padding; stereo.
    frame[0] = static_cast<char>(0xFF);
    frame[1] = static_cast<char>(0xFB);
    frame[2] = static_cast<char>(0x90);
    frame[3] = static_cast<char>(0x00);
    const auto frames = static_cast<long>(std::ceil(seconds * 44100.0 / samplesPerFrame));
    std::ofstream out(file, std::ios::binary);
    for (long i = 0; i < frames; ++i) {
        out.write(frame.data(), frameBytes);
    }
}
