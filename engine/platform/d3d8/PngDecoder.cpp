// PNG through libpng: every colour type and bit depth, interlaced or not, transparency from
// the alpha channel or a tRNS chunk. The size limits are libpng's own (set before the header
// is read); a bad CRC or a file that ends before its last row or its end chunk is refused.
// Chunk lengths are checked before libpng sees the file: libpng takes its own chunk limit as
// a warning and allocates (and zero-fills) whatever length a chunk declares.

#include "platform/d3d8/ImageDecoder.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>
#include <memory>

namespace {

constexpr png_alloc_size_t kLargestChunk = 8u << 20; // text and profile chunks are small

struct Source {
    std::span<const std::uint8_t> file;
    std::size_t offset = 0;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > source->file.size() - source->offset) {
        png_error(png, "file ends early");
    }
    std::memcpy(out, source->file.data() + source->offset, count);
    source->offset += count;
}

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// Every chunk up to the end chunk fits in the file, and only picture data is larger than
// kLargestChunk.
bool ChunksBounded(std::span<const std::uint8_t> file) {
    constexpr std::size_t kSignature = 8;
    constexpr std::size_t kFraming = 12; // length, type, CRC
    if (file.size() < kSignature) {
        return false;
    }
    for (std::size_t at = kSignature; file.size() - at >= kFraming;) {
        const std::uint32_t length = BigEndian32(file.data() + at);
        const std::uint8_t* type = file.data() + at + 4;
        if (length > file.size() - at - kFraming ||
            (length > kLargestChunk && std::memcmp(type, "IDAT", 4) != 0)) {
            return false;
        }
        if (std::memcmp(type, "IEND", 4) == 0) {
            return true;
        }
        at += kFraming + length;
    }
    return false; // ends before its end chunk
}

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// What lives across the setjmp: nothing with a destructor that longjmp could skip.
struct Job {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Source source;
    std::vector<png_bytep> rows;
};

bool Decode(Job& job, DecodedImage& image) {
    png_structp png = job.png;
    png_infop info = job.info;
    png_set_user_limits(png, kLargestImageSide, kLargestImageSide);
    png_set_chunk_malloc_max(png, kLargestChunk);
    png_set_read_fn(png, &job.source, ReadBytes);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    const bool alpha =
        (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (!ImageSizeAllowed(width, height)) {
        return false;
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (!alpha) {
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t{width} * 4 ||
        !AllocateImage(image, width, height)) {
        return false;
    }
    job.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        job.rows[y] = reinterpret_cast<png_bytep>(image.pixels.data() + std::size_t{y} * width);
    }
    png_read_image(png, job.rows.data()); // B, G, R, A bytes: 0xAARRGGBB words here
    png_read_end(png, nullptr);
    image.hasAlpha = alpha;
    return true;
}

} // namespace

bool DecodePng(std::span<const std::uint8_t> file, DecodedImage& image) {
    static_assert(std::endian::native == std::endian::little, "BGRA bytes make ARGB words");
    if (!ChunksBounded(file)) {
        return false;
    }
    auto job = std::make_unique<Job>();
    job->source.file = file;
    job->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (job->png == nullptr) {
        return false;
    }
    job->info = png_create_info_struct(job->png);
    if (job->info == nullptr || setjmp(png_jmpbuf(job->png)) != 0) {
        png_destroy_read_struct(&job->png, &job->info, nullptr);
        return false;
    }
    const bool decoded = Decode(*job, image);
    png_destroy_read_struct(&job->png, &job->info, nullptr);
    return decoded;
}
