#pragma once
// Decoding of texture files: Windows BMP, JPEG and PNG, told apart by their first bytes (never
// by the file name); every other format is refused. No SDL, GL or Direct3D types, so the same
// decoders serve every host.
//
// Bounds: a picture wider or taller than kLargestImageSide, or with more than
// kLargestImagePixels pixels, is refused from its header, before any pixel memory exists.
// A truncated or corrupt file is refused rather than shown in part.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

inline constexpr int kLargestImageSide = 8192;
inline constexpr std::uint64_t kLargestImagePixels = 16u << 20; // 64 MiB of 32-bit pixels

struct DecodedImage {
    int width = 0;
    int height = 0;
    bool hasAlpha = false; // false: every alpha byte is 0xFF
    // width * height words 0xAARRGGBB, rows top first.
    std::vector<std::uint32_t> pixels;
};

// The picture's dimensions may be allocated: both sides 1 or more and within the bounds.
bool ImageSizeAllowed(std::uint64_t width, std::uint64_t height);
// Allocates `image.pixels` for width x height (false when not allowed or out of memory).
bool AllocateImage(DecodedImage& image, std::uint64_t width, std::uint64_t height);

// False (and `image` empty) when the bytes are not a complete picture of a known format.
bool DecodeImage(std::span<const std::uint8_t> file, DecodedImage& image);

bool DecodeBmp(std::span<const std::uint8_t> file, DecodedImage& image);
bool DecodeJpeg(std::span<const std::uint8_t> file, DecodedImage& image);
bool DecodePng(std::span<const std::uint8_t> file, DecodedImage& image);
