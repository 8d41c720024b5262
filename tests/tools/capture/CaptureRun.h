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

// The capture tool running in the background, its output (stdout and stderr) read as it
// comes.
class BackgroundCapture {
  public:
    explicit BackgroundCapture(const std::string& arguments);
    ~BackgroundCapture();
    BackgroundCapture(const BackgroundCapture&) = delete;
    BackgroundCapture& operator=(const BackgroundCapture&) = delete;

    // Reads until `text` has appeared; false when the program ended first.
    bool WaitFor(const std::string& text);
    void Signal(int signal);
    // Reads the rest and waits for the end: the exit status, or 128 + the fatal signal.
    int Wait();
    const std::string& Log() const { return log; }

  private:
    bool ReadSome();

    int child = -1;
    int output = -1;
    std::string log;
};
