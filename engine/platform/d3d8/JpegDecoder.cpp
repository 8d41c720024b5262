// JPEG through libjpeg-turbo: baseline, progressive and arithmetic-coded; grey, YCbCr, RGB,
// CMYK and YCCK (Adobe's inverted CMYK included). libjpeg's warnings about damaged or missing
// data are errors here, so a truncated file is refused instead of shown with grey in it. Only
// the end marker may be missing, when the picture's data is complete (libjpeg's own tools show
// such a file): a sequential scan that runs out of data warns on its own, and a progressive
// file must have brought every coefficient to full precision.
// Memory and the number of progressive scans are bounded.

#include "platform/d3d8/ImageDecoder.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <jerror.h>
#include <jpeglib.h>

#include <memory>

namespace {

constexpr long kLargestWorkingMemory = 128L << 20; // a 16-Mpixel progressive 4:4:4 picture fits
constexpr int kMostScans = 256;                    // real encoders write a dozen at most

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    bool endMissing = false;
};

[[noreturn]] void Escape(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->escape, 1);
}

void OnMessage(j_common_ptr info, int level) {
    if (level >= 0) {
        return; // trace messages
    }
    switch (info->err->msg_code) {
    case JWRN_ADOBE_XFORM: // harmless oddities of the markers, not of the picture
    case JWRN_JFIF_MAJOR:
    case JWRN_BOGUS_ICC:
        return;
    case JWRN_JPEG_EOF:
        reinterpret_cast<ErrorTrap*>(info->err)->endMissing = true;
        return;
    default:
        Escape(info);
    }
}

void OnProgress(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMostScans) {
        Escape(info);
    }
}

// What lives across the setjmp: nothing here has a destructor that longjmp could skip.
struct Job {
    jpeg_decompress_struct info;
    ErrorTrap trap;
    jpeg_progress_mgr progress;
    std::vector<JSAMPLE> row;
};

// CMYK as libjpeg hands it over: inverted (0 = full ink) when an Adobe marker is present,
// which is how Adobe's applications write it; plain otherwise.
std::uint32_t FromCmyk(const JSAMPLE* cmyk, bool inverted) {
    std::uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    const auto mix = [k](std::uint32_t v) { return (v * k + 127) / 255; };
    return 0xFF000000u | mix(c) << 16 | mix(m) << 8 | mix(y);
}

// Every scan of a progressive picture has arrived: each coefficient refined down to bit 0.
bool ProgressionComplete(const jpeg_decompress_struct& info) {
    for (int c = 0; c < info.num_components; ++c) {
        for (int k = 0; k < DCTSIZE2; ++k) {
            if (info.coef_bits[c][k] != 0) {
                return false;
            }
        }
    }
    return true;
}

bool Decode(Job& job, std::span<const std::uint8_t> file, DecodedImage& image) {
    jpeg_decompress_struct& info = job.info;
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK ||
        !ImageSizeAllowed(info.image_width, info.image_height)) {
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    if (info.output_width != info.image_width || info.output_height != info.image_height ||
        info.output_components != 4 ||
        !AllocateImage(image, info.output_width, info.output_height)) {
        return false;
    }
    job.row.resize(static_cast<std::size_t>(info.output_width) * 4);
    const bool inverted = info.saw_Adobe_marker != 0;
    while (info.output_scanline < info.output_height) {
        std::uint32_t* out = image.pixels.data() +
                             static_cast<std::size_t>(info.output_scanline) * info.output_width;
        JSAMPROW rows[1] = {job.row.data()};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) {
            return false;
        }
        for (JDIMENSION x = 0; x < info.output_width; ++x) {
            const JSAMPLE* p = job.row.data() + std::size_t{x} * 4;
            out[x] =
                cmyk ? FromCmyk(p, inverted)
                     : 0xFF000000u | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
        }
    }
    if (job.trap.endMissing && info.progressive_mode && !ProgressionComplete(info)) {
        return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

bool DecodeJpeg(std::span<const std::uint8_t> file, DecodedImage& image) {
    auto job = std::make_unique<Job>();
    job->info.err = jpeg_std_error(&job->trap.manager);
    job->trap.manager.error_exit = Escape;
    job->trap.manager.emit_message = OnMessage;
    if (setjmp(job->trap.escape) != 0) {
        jpeg_destroy_decompress(&job->info);
        return false;
    }
    jpeg_create_decompress(&job->info);
    job->info.mem->max_memory_to_use = kLargestWorkingMemory;
    job->progress.progress_monitor = OnProgress;
    job->info.progress = &job->progress;
    const bool decoded = Decode(*job, file, image);
    jpeg_destroy_decompress(&job->info);
    return decoded;
}
