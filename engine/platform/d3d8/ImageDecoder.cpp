#include "platform/d3d8/ImageDecoder.h"

#include <cstring>
#include <new>

bool ImageSizeAllowed(std::uint64_t width, std::uint64_t height) {
    return width >= 1 && height >= 1 && width <= kLargestImageSide && height <= kLargestImageSide &&
           width * height <= kLargestImagePixels;
}

bool AllocateImage(DecodedImage& image, std::uint64_t width, std::uint64_t height) {
    if (!ImageSizeAllowed(width, height)) {
        return false;
    }
    try {
        image.pixels.assign(static_cast<std::size_t>(width * height), 0xFF000000u);
    } catch (const std::bad_alloc&) {
        return false;
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    return true;
}

namespace {

bool StartsWith(std::span<const std::uint8_t> file, const char* magic, std::size_t length) {
    return file.size() >= length && std::memcmp(file.data(), magic, length) == 0;
}

} // namespace

bool DecodeImage(std::span<const std::uint8_t> file, DecodedImage& image) {
    image = DecodedImage{};
    bool decoded = false;
    if (StartsWith(file, "BM", 2)) {
        decoded = DecodeBmp(file, image);
    } else if (StartsWith(file, "\xFF\xD8\xFF", 3)) {
        decoded = DecodeJpeg(file, image);
    } else if (StartsWith(file, "\x89PNG\r\n\x1A\n", 8)) {
        decoded = DecodePng(file, image);
    }
    if (!decoded) {
        image = DecodedImage{};
    }
    return decoded;
}
