// Windows BMP: core (OS/2 1.x), info, v2/v3 (info with masks), v4 and v5 headers; 1, 4 and 8
// bits through a palette, uncompressed or RLE4/RLE8; 16 and 32 bits with the default layout
// or bit fields; 24 bits; rows bottom-up, or top-down for a negative height. Every offset is
// checked against the file; a file too short for its pixels is refused.
// Damage inside complete pixel data is shown as Windows and the browsers show it: palette
// indices past the palette are black, run-length runs past a row's end are cut there, and
// pixels an early end-of-picture or a delta skips keep palette entry 0. Run-length data that
// ends in the file before its end-of-picture mark is refused like any truncated file.

#include "platform/d3d8/ImageDecoder.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <new>

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

class Bytes {
  public:
    explicit Bytes(std::span<const std::uint8_t> bytes) : file(bytes) {}
    bool Has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= file.size() && count <= file.size() - offset;
    }
    // Callers check Has first.
    std::uint32_t U8(std::uint64_t at) const { return file[at]; }
    std::uint32_t U16(std::uint64_t at) const { return U8(at) | U8(at + 1) << 8; }
    std::uint32_t U32(std::uint64_t at) const { return U16(at) | U16(at + 2) << 16; }
    std::uint64_t Size() const { return file.size(); }

  private:
    std::span<const std::uint8_t> file;
};

// One colour channel of a bit-field pixel: a contiguous mask, widened to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t largest = 0; // the mask's value range, 2^bits - 1

    bool Set(std::uint32_t bits) {
        mask = bits;
        if (bits == 0) {
            return true;
        }
        shift = std::countr_zero(bits);
        const std::uint64_t run = static_cast<std::uint64_t>(bits) >> shift;
        largest = (std::uint64_t{1} << std::popcount(bits)) - 1;
        return run == largest; // holes in a mask are not a layout any writer makes
    }
    std::uint32_t Widen(std::uint32_t pixel, std::uint32_t absent) const {
        if (mask == 0) {
            return absent;
        }
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<std::uint32_t>((value * 255 + largest / 2) / largest);
    }
};

struct Layout {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    bool topDown = false;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = kRgb;
    std::uint64_t pixelOffset = 0;
    std::uint32_t palette[256] = {};
    Channel red, green, blue, alpha;
};

bool ReadLayout(const Bytes& in, Layout& layout) {
    if (!in.Has(0, 18)) {
        return false;
    }
    layout.pixelOffset = in.U32(10);
    const std::uint32_t headerSize = in.U32(14);
    if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 &&
        headerSize != 108 && headerSize != 124) {
        return false;
    }
    if (!in.Has(14, headerSize)) {
        return false;
    }
    const bool core = headerSize == 12;
    std::uint32_t paletteUsed = 0;
    if (core) {
        layout.width = in.U16(18);
        layout.height = in.U16(20);
        layout.bitsPerPixel = in.U16(24);
    } else {
        const auto width = static_cast<std::int32_t>(in.U32(18));
        const auto height = static_cast<std::int32_t>(in.U32(22));
        if (width <= 0 || height == 0 || height == INT32_MIN) {
            return false;
        }
        layout.width = static_cast<std::uint64_t>(width);
        layout.topDown = height < 0;
        layout.height = static_cast<std::uint64_t>(height < 0 ? -std::int64_t{height} : height);
        layout.bitsPerPixel = in.U16(28);
        layout.compression = in.U32(30);
        paletteUsed = in.U32(46);
    }
    if (!ImageSizeAllowed(layout.width, layout.height)) {
        return false;
    }

    const std::uint32_t bpp = layout.bitsPerPixel;
    const std::uint32_t c = layout.compression;
    const bool valid =
        (c == kRgb && (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) ||
        (c == kRle8 && bpp == 8) || (c == kRle4 && bpp == 4) ||
        ((c == kBitFields || c == kAlphaBitFields) && (bpp == 16 || bpp == 32));
    if (!valid) {
        return false;
    }

    std::uint64_t after = 14 + headerSize; // where the masks of an info header or the palette go
    if (c == kBitFields || c == kAlphaBitFields) {
        std::uint64_t masks = 54;
        if (headerSize == 40) {
            masks = after;
            after += c == kAlphaBitFields ? 16 : 12;
        }
        const bool withAlpha = c == kAlphaBitFields || headerSize >= 56;
        if (!in.Has(masks, withAlpha ? 16 : 12) || !layout.red.Set(in.U32(masks)) ||
            !layout.green.Set(in.U32(masks + 4)) || !layout.blue.Set(in.U32(masks + 8)) ||
            !layout.alpha.Set(withAlpha ? in.U32(masks + 12) : 0)) {
            return false;
        }
    } else if (bpp == 16) {
        layout.red.Set(0x7C00);
        layout.green.Set(0x03E0);
        layout.blue.Set(0x001F);
    } else if (bpp == 32) {
        layout.red.Set(0x00FF0000);
        layout.green.Set(0x0000FF00);
        layout.blue.Set(0x000000FF);
        layout.alpha.Set(0xFF000000); // used only when some pixel is not 0 there
    }

    if (bpp <= 8) {
        std::fill(std::begin(layout.palette), std::end(layout.palette), 0xFF000000u);
        const std::uint32_t most = 1u << bpp;
        const std::uint32_t entries = paletteUsed == 0 || paletteUsed > most ? most : paletteUsed;
        const std::uint32_t entrySize = core ? 3 : 4;
        if (!in.Has(after, std::uint64_t{entries} * entrySize)) {
            return false;
        }
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint64_t at = after + std::uint64_t{i} * entrySize;
            layout.palette[i] = 0xFF000000u | in.U8(at + 2) << 16 | in.U8(at + 1) << 8 | in.U8(at);
        }
    }
    return layout.pixelOffset < in.Size();
}

// Palette indices of an RLE picture, rows in file order; pixels a delta skips keep index 0.
bool ReadRunLengths(const Bytes& in, const Layout& layout, std::vector<std::uint8_t>& indices) {
    const bool fourBit = layout.compression == kRle4;
    const std::uint64_t width = layout.width;
    const std::uint64_t height = layout.height;
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::uint64_t at = layout.pixelOffset;
    const auto put = [&](std::uint64_t count, auto indexOf) {
        // Runs past the row's end are dropped; x still moves so later runs stay dropped.
        const std::uint64_t kept = x < width ? std::min(count, width - x) : 0;
        for (std::uint64_t i = 0; i < kept; ++i) {
            indices[y * width + x + i] = indexOf(i);
        }
        x += count;
    };
    while (y < height) {
        if (!in.Has(at, 2)) {
            return false; // ended before its last row
        }
        const std::uint32_t count = in.U8(at);
        const std::uint32_t value = in.U8(at + 1);
        at += 2;
        if (count > 0) {
            put(count, [&](std::uint64_t i) {
                return static_cast<std::uint8_t>(!fourBit     ? value
                                                 : i % 2 == 0 ? value >> 4
                                                              : value & 0xF);
            });
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (!in.Has(at, 2)) {
                return false;
            }
            x += in.U8(at);
            y += in.U8(at + 1);
            at += 2;
        } else {
            const std::uint64_t bytes = fourBit ? (value + 1) / 2 : value;
            if (!in.Has(at, bytes)) {
                return false;
            }
            const std::uint64_t from = at;
            put(value, [&](std::uint64_t i) {
                const std::uint32_t b = in.U8(from + (fourBit ? i / 2 : i));
                return static_cast<std::uint8_t>(!fourBit ? b : i % 2 == 0 ? b >> 4 : b & 0xF);
            });
            at += bytes + (bytes & 1); // absolute runs are padded to 16 bits
        }
    }
    return true;
}

std::uint32_t BitFieldPixel(const Layout& layout, std::uint32_t raw) {
    return layout.alpha.Widen(raw, 0xFF) << 24 | layout.red.Widen(raw, 0) << 16 |
           layout.green.Widen(raw, 0) << 8 | layout.blue.Widen(raw, 0);
}

} // namespace

bool DecodeBmp(std::span<const std::uint8_t> file, DecodedImage& image) {
    const Bytes in(file);
    auto layout = std::make_unique<Layout>();
    if (!ReadLayout(in, *layout)) {
        return false;
    }
    const std::uint64_t width = layout->width;
    const std::uint64_t height = layout->height;
    const std::uint32_t bpp = layout->bitsPerPixel;
    const bool runLengths = layout->compression == kRle8 || layout->compression == kRle4;
    const std::uint64_t rowBytes = (width * bpp + 31) / 32 * 4;
    if (!runLengths && !in.Has(layout->pixelOffset, rowBytes * height)) {
        return false;
    }
    if (!AllocateImage(image, width, height)) {
        return false;
    }
    const auto target = [&](std::uint64_t fileRow) {
        const std::uint64_t row = layout->topDown ? fileRow : height - 1 - fileRow;
        return image.pixels.data() + row * width;
    };

    if (runLengths) {
        std::vector<std::uint8_t> indices;
        try {
            indices.assign(static_cast<std::size_t>(width * height), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!ReadRunLengths(in, *layout, indices)) {
            return false;
        }
        for (std::uint64_t y = 0; y < height; ++y) {
            std::uint32_t* out = target(y);
            for (std::uint64_t x = 0; x < width; ++x) {
                out[x] = layout->palette[indices[y * width + x]];
            }
        }
        return true;
    }

    bool anyAlpha = false;
    for (std::uint64_t y = 0; y < height; ++y) {
        const std::uint64_t row = layout->pixelOffset + y * rowBytes;
        std::uint32_t* out = target(y);
        for (std::uint64_t x = 0; x < width; ++x) {
            std::uint32_t pixel = 0;
            if (bpp <= 8) {
                const std::uint64_t bit = x * bpp;
                const std::uint32_t byte = in.U8(row + bit / 8);
                const std::uint32_t index = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                pixel = layout->palette[index];
            } else if (bpp == 24) {
                const std::uint64_t at = row + x * 3;
                pixel = 0xFF000000u | in.U8(at + 2) << 16 | in.U8(at + 1) << 8 | in.U8(at);
            } else {
                const std::uint32_t raw = bpp == 16 ? in.U16(row + x * 2) : in.U32(row + x * 4);
                anyAlpha = anyAlpha || (raw & layout->alpha.mask) != 0;
                pixel = BitFieldPixel(*layout, raw);
            }
            out[x] = pixel;
        }
    }
    // An alpha channel of zeros everywhere is a writer's unused byte, not a transparent picture.
    image.hasAlpha = anyAlpha;
    if (!anyAlpha) {
        for (std::uint32_t& pixel : image.pixels) {
            pixel |= 0xFF000000u;
        }
    }
    return true;
}
