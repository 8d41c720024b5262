#pragma once
// Running vellomire-capture from a test, and reading its PNG files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// Runs the capture tool with these arguments; returns its exit status. Its output (stdout
// and stderr) goes to `log`.
int RunCapture(const std::string& arguments, std::string* log = nullptr);

// Empty picture when the file cannot be read.
RgbPicture ReadPng(const std::filesystem::path& file);

// Peak signal-to-noise ratio in dB over all channels; infinity for identical pictures.
double Psnr(const RgbPicture& a, const RgbPicture& b);

// A fresh folder under the temporary directory, removed with the object.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return path; }

  private:
    std::filesystem::path path;
};
