#pragma once
// MP3 files made at run time with LAME, for tests and benchmarks of the audio layer.

#include <cstdint>
#include <string>
#include <vector>

struct ToneSpec {
    int rate = 44100;
    int channels = 2;
    std::uint64_t frames = 44100; // sample frames encoded
    bool vbr = false;             // VBR (with a Xing/LAME tag) instead of CBR (with an Info tag)
    bool id3 = false;             // an ID3v2 tag in front of the audio
    bool freeFormat = false;      // frames without a bit-rate index (CBR only)
};

// A sine of 440 Hz (and 660 Hz on the right channel), half amplitude.
std::vector<std::uint8_t> MakeToneMp3(const ToneSpec& spec);

// The tone's samples as 16-bit interleaved PCM, before encoding.
std::vector<std::int16_t> ToneSamples(const ToneSpec& spec);

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A fresh folder under the system's temporary folder, removed by the destructor.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path; }
    std::string File(const std::string& name) const { return path + "/" + name; }

  private:
    std::string path;
};
