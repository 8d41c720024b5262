#pragma once

#include "tools/content/Image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace content {

// Windows BMP, BITMAPINFOHEADER, 24 bits per pixel, uncompressed, rows bottom-up and padded
// to 4 bytes, 2835 pixels per metre (72 dpi).
std::vector<std::uint8_t> EncodeBmp(const Image& image);

// Baseline JPEG (sequential Huffman, 4:4:4, no progressive scans), quality 1..100.
std::vector<std::uint8_t> EncodeJpeg(const Image& image, int quality);

// Writes the bytes to the path; false (with errno set by the C library) on failure.
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace content
