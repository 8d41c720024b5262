#include "tools/content/ImageFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

using namespace content;

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

} // namespace

TEST(BmpEncoder, WritesBottomUpBgrRowsPaddedToFourBytes) {
    // 3 x 2: rows of 9 bytes padded to 12.
    Image image(3, 2);
    image.At(0, 0) = {1, 0, 0};        // top-left red
    image.At(2, 1) = {0, 0, 1};        // bottom-right blue
    image.At(1, 1) = {0.5f, 2.0f, -1}; // clamped
    const std::vector<std::uint8_t> bmp = EncodeBmp(image);
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le32(bmp, 2), bmp.size());
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le32(bmp, 18), 3u);
    EXPECT_EQ(Le32(bmp, 22), 2u); // positive height: bottom row first
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(Le32(bmp, 30), 0u); // uncompressed
    // First stored row is the bottom one: (0,1) black, (1,1) clamped, (2,1) blue, as B, G, R.
    const std::uint8_t bottom[12] = {0, 0, 0, 0, 255, 128, 255, 0, 0, 0, 0, 0};
    const std::uint8_t top[12] = {0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(bottom, bottom + 12, bmp.begin() + 54));
    EXPECT_TRUE(std::equal(top, top + 12, bmp.begin() + 66));
}

TEST(JpegEncoder, WritesABaselineFileThatDecodesToTheSameSizeAndColours) {
    Image image(40, 24, {0.2f, 0.4f, 0.8f});
    const std::vector<std::uint8_t> jpeg = EncodeJpeg(image, 92);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    // A baseline frame header (SOF0) and no progressive one (SOF2).
    bool sof0 = false, sof2 = false;
    for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
        sof0 |= jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0;
        sof2 |= jpeg[i] == 0xFF && jpeg[i + 1] == 0xC2;
    }
    EXPECT_TRUE(sof0);
    EXPECT_FALSE(sof2);

    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
    jpeg_start_decompress(&cinfo);
    EXPECT_EQ(cinfo.output_width, 40u);
    EXPECT_EQ(cinfo.output_height, 24u);
    std::vector<std::uint8_t> row(cinfo.output_width * 3);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.output_scanline < cinfo.output_height) {
        jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    EXPECT_NEAR(row[0], 51, 3);
    EXPECT_NEAR(row[1], 102, 3);
    EXPECT_NEAR(row[2], 204, 3);
}
