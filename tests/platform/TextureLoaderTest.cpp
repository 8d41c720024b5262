// The texture-file loader and Texture, against pictures written by ImageMagick (a real outside
// encoder) at test time. ImageMagick's own reading of each file is the expected picture.

#include "GLTestDevice.h"
#include "platform/Texture.h"
#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/ImageDecoder.h"
#include "support/FakeApplication.h"
#include "support/RecordingDevice.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool HaveConvert() {
    return std::system("convert -version >/dev/null 2>&1") == 0;
}

// RGBA bytes as ImageMagick reads them (alpha 255 where the file has none).
std::vector<std::uint8_t> ReadWithImageMagick(const std::string& file) {
    std::vector<std::uint8_t> bytes;
    FILE* pipe = popen(("convert '" + file + "' -depth 8 rgba:- 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return bytes;
    }
    std::uint8_t buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    pclose(pipe);
    return bytes;
}

void WriteBytes(const std::string& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TextureFiles : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { KeepGLDriverLoaded(); }
    static constexpr int kWidth = 8;
    static constexpr int kHeight = 4;

    void SetUp() override {
        if (!HaveConvert()) {
            GTEST_SKIP() << "ImageMagick's convert is not installed";
        }
        char pattern[] = "/tmp/vellomire-textures-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        // 32 distinct colours, and an alpha ramp for the formats that keep alpha.
        std::vector<std::uint8_t> rgba;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            rgba.push_back(static_cast<std::uint8_t>((i * 37) & 0xFF));
            rgba.push_back(static_cast<std::uint8_t>(255 - i * 8));
            rgba.push_back(static_cast<std::uint8_t>((i % 4) * 85));
            rgba.push_back(static_cast<std::uint8_t>(i * 8));
        }
        WriteBytes(Path("picture.rgba"), rgba);
    }

    void TearDown() override {
        if (!folder_.empty()) {
            std::system(("rm -rf '" + folder_ + "'").c_str());
        }
    }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    // convert the base picture with options into name; options end in the output format
    // ("BMP3:"). True on success.
    bool Convert(const std::string& options, const std::string& name) const {
        const std::string command = "convert -size 8x4 -depth 8 rgba:'" + Path("picture.rgba") +
                                    "' " + options + "'" + Path(name) + "' 2>/dev/null";
        return std::system(command.c_str()) == 0;
    }

    HRESULT Load(const std::string& name, UINT width, UINT height, IDirect3DTexture8** texture) {
        return D3DXCreateTextureFromFileExA(&device_, Path(name).c_str(), width, height, 1, 0,
                                            D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                            D3DX_DEFAULT, 0, nullptr, nullptr, texture);
    }

    RecordingDevice device_;
    std::string folder_;
};

TEST_F(TextureFiles, EveryVariantDecodesToThePixelsImageMagickWrote) {
    const struct {
        const char* name;
        const char* options;
        bool alpha;
        int tolerance; // JPEG decoders may round differently; 5-bit channels widen two ways
    } variants[] = {
        {"1bit.bmp", "-alpha off -colors 2 -type Palette BMP3:", false, 0},
        {"4bit.bmp", "-alpha off -colors 16 -type Palette BMP3:", false, 0},
        {"8bit.bmp", "-alpha off -type Palette BMP3:", false, 0},
        {"8bit-rle.bmp", "-alpha off -type Palette -compress RLE BMP3:", false, 0},
        {"16bit-565.bmp", "-alpha off -define bmp:subtype=RGB565 BMP:", false, 1},
        {"16bit-555.bmp", "-alpha off -define bmp:subtype=RGB555 BMP:", false, 1},
        {"24bit.bmp", "-alpha off BMP3:", false, 0},
        {"32bit.bmp", "BMP:", true, 0},
        {"4bit-rle.bmp", "-alpha off -colors 16 -type Palette -compress RLE BMP3:", false, 0},
        {"core-header.bmp", "-alpha off -type Palette BMP2:", false, 0},
        {"baseline.jpg", "-alpha off -quality 90 JPEG:", false, 2},
        {"progressive.jpg", "-alpha off -quality 90 -interlace JPEG JPEG:", false, 2},
        {"grey.jpg", "-alpha off -colorspace Gray -quality 90 JPEG:", false, 2},
        {"cmyk.jpg", "-alpha off -colorspace CMYK -quality 90 JPEG:", false, 3},
        {"opaque.png", "-alpha off PNG24:", false, 0},
        {"alpha.png", "PNG32:", true, 0},
        {"palette.png", "-alpha off PNG8:", false, 0},
        {"deep-interlaced.png", "-interlace PNG PNG64:", true, 1},
    };
    for (const auto& v : variants) {
        SCOPED_TRACE(v.name);
        ASSERT_TRUE(Convert(v.options, v.name));
        const std::vector<std::uint8_t> expected = ReadWithImageMagick(Path(v.name));
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(kWidth * kHeight * 4));
        IDirect3DTexture8* texture = nullptr;
        ASSERT_EQ(Load(v.name, kWidth, kHeight, &texture), D3D_OK);
        auto* recorded = static_cast<RecordingTexture*>(texture);
        EXPECT_EQ(recorded->format, v.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8);
        EXPECT_EQ(recorded->pool, D3DPOOL_MANAGED);
        EXPECT_EQ(recorded->levels, 1u);
        int worst = 0;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            const std::uint32_t texel = recorded->Texel(i % kWidth, i / kWidth);
            const int channels[4] = {static_cast<int>((texel >> 16) & 0xFF),
                                     static_cast<int>((texel >> 8) & 0xFF),
                                     static_cast<int>(texel & 0xFF), static_cast<int>(texel >> 24)};
            for (int c = 0; c < 4; ++c) {
                worst = std::max(worst, std::abs(channels[c] - expected[i * 4 + c]));
            }
            if (!v.alpha) {
                EXPECT_EQ(texel >> 24, 0xFFu) << "texel " << i;
            }
        }
        EXPECT_LE(worst, v.tolerance);
        texture->Release();
    }
}

TEST_F(TextureFiles, TopDownBitmapDecodesUpright) {
    ASSERT_TRUE(Convert("-alpha off BMP3:", "bottom-up.bmp"));
    std::vector<std::uint8_t> bytes = ReadBytes(Path("bottom-up.bmp"));
    ASSERT_GE(bytes.size(), 54u);
    // Negative height, rows stored top first (24-bit rows are 8 x 3 = 24 bytes, no padding).
    const std::int32_t height = -kHeight;
    std::memcpy(&bytes[22], &height, 4);
    std::uint32_t offset = 0;
    std::memcpy(&offset, &bytes[10], 4);
    const std::size_t row = kWidth * 3;
    for (int y = 0; y < kHeight / 2; ++y) {
        std::swap_ranges(bytes.begin() + offset + y * row, bytes.begin() + offset + (y + 1) * row,
                         bytes.begin() + offset + (kHeight - 1 - y) * row);
    }
    WriteBytes(Path("top-down.bmp"), bytes);
    IDirect3DTexture8* upright = nullptr;
    IDirect3DTexture8* flipped = nullptr;
    ASSERT_EQ(Load("bottom-up.bmp", kWidth, kHeight, &upright), D3D_OK);
    ASSERT_EQ(Load("top-down.bmp", kWidth, kHeight, &flipped), D3D_OK);
    EXPECT_EQ(static_cast<RecordingTexture*>(upright)->texels,
              static_cast<RecordingTexture*>(flipped)->texels);
    upright->Release();
    flipped->Release();
}

TEST_F(TextureFiles, ResamplesByAreaToFillTheAskedSize) {
    // A 4 x 4 checkerboard of single black and white pixels shrinks to an even grey.
    ASSERT_EQ(std::system(("convert -size 4x4 pattern:gray50 -alpha off BMP3:'" +
                           Path("checker.bmp") + "' 2>/dev/null")
                              .c_str()),
              0);
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(Load("checker.bmp", 2, 2, &texture), D3D_OK);
    auto* recorded = static_cast<RecordingTexture*>(texture);
    for (std::uint32_t texel : recorded->texels) {
        EXPECT_NEAR(static_cast<int>(texel & 0xFF), 128, 1);
    }
    texture->Release();

    // A picture with a red left column and a blue right column stretched to the full-width
    // sizes: the texture's whole range shows the whole picture, edge to edge.
    ASSERT_EQ(std::system(("convert -size 64x20 xc:lime -fill red -draw 'rectangle 0,0 0,19' "
                           "-fill blue -draw 'rectangle 63,0 63,19' -alpha off BMP3:'" +
                           Path("strip.bmp") + "' 2>/dev/null")
                              .c_str()),
              0);
    for (UINT height : {200u, 300u}) {
        ASSERT_EQ(Load("strip.bmp", 640, height, &texture), D3D_OK);
        recorded = static_cast<RecordingTexture*>(texture);
        EXPECT_EQ(recorded->width, 640u);
        EXPECT_EQ(recorded->height, height);
        EXPECT_EQ(recorded->Texel(0, 0) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(recorded->Texel(639, height - 1) & 0xFFFFFF, 0x0000FFu);
        EXPECT_EQ(recorded->Texel(320, height / 2) & 0xFFFFFF, 0x00FF00u);
        texture->Release();
    }
}

void PutLittle32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// A JPEG whose frame header claims width x height.
std::vector<std::uint8_t> ClaimJpegSize(std::vector<std::uint8_t> jpeg, int width, int height) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            break;
        }
    }
    return jpeg;
}

TEST_F(TextureFiles, JpegWithoutItsEndMarkerLoadsWhenItsDataIsComplete) {
    for (const char* options : {"-quality 90 JPEG:", "-quality 90 -interlace JPEG JPEG:"}) {
        SCOPED_TRACE(options);
        ASSERT_TRUE(Convert(std::string("-alpha off ") + options, "whole.jpg"));
        std::vector<std::uint8_t> bytes = ReadBytes(Path("whole.jpg"));
        ASSERT_EQ(bytes.back(), 0xD9);
        bytes.resize(bytes.size() - 2);
        WriteBytes(Path("no-end.jpg"), bytes);
        IDirect3DTexture8* whole = nullptr;
        IDirect3DTexture8* noEnd = nullptr;
        ASSERT_EQ(Load("whole.jpg", kWidth, kHeight, &whole), D3D_OK);
        ASSERT_EQ(Load("no-end.jpg", kWidth, kHeight, &noEnd), D3D_OK);
        EXPECT_EQ(static_cast<RecordingTexture*>(noEnd)->texels,
                  static_cast<RecordingTexture*>(whole)->texels);
        whole->Release();
        noEnd->Release();
    }
}

// Files of other formats, cut, damaged, or claiming pictures far beyond the size limit: each is
// refused at once, nothing is made on the device, and memory stays small.
TEST_F(TextureFiles, BadFilesFailWithoutATexture) {
    ASSERT_TRUE(Convert("-alpha off -quality 90 JPEG:", "whole.jpg"));
    ASSERT_TRUE(Convert("PNG32:", "whole.png"));
    ASSERT_TRUE(Convert("-alpha off BMP3:", "whole.bmp"));
    ASSERT_TRUE(Convert("-alpha off -type Palette -compress RLE BMP3:", "rle.bmp"));
    for (const char* name : {"whole.jpg", "whole.png", "whole.bmp"}) {
        std::vector<std::uint8_t> bytes = ReadBytes(Path(name));
        bytes.resize(bytes.size() / 2);
        WriteBytes(Path(std::string("cut-") + name), bytes);
    }
    // Cut after most of its data: libjpeg would fill the rest with grey.
    ASSERT_EQ(std::system(("convert -size 96x96 gradient:red-blue -quality 95 JPEG:'" +
                           Path("gradient.jpg") + "' 2>/dev/null")
                              .c_str()),
              0);
    std::vector<std::uint8_t> gradient = ReadBytes(Path("gradient.jpg"));
    WriteBytes(Path("nearly-whole.jpg"), {gradient.begin(), gradient.end() - 200});
    // Progressive, cut just before its last scan: every row is there, but not at full detail.
    ASSERT_TRUE(Convert("-alpha off -quality 90 -interlace JPEG JPEG:", "progressive.jpg"));
    std::vector<std::uint8_t> progressive = ReadBytes(Path("progressive.jpg"));
    const std::uint8_t startOfScan[] = {0xFF, 0xDA};
    const auto lastScan =
        std::find_end(progressive.begin(), progressive.end(), startOfScan, startOfScan + 2);
    WriteBytes(Path("scans-missing.jpg"), {progressive.begin(), lastScan});
    std::vector<std::uint8_t> png = ReadBytes(Path("whole.png"));
    // 60 bytes: signature, header, then a text chunk that claims 2 GiB.
    std::vector<std::uint8_t> hugeText(png.begin(), png.begin() + 33);
    const char chunk57[] = "\x7F\xFF\xFF\xFEtEXtComment\0a few words";
    hugeText.insert(hugeText.end(), chunk57, chunk57 + sizeof chunk57 - 1);
    WriteBytes(Path("huge-text.png"), hugeText);
    const std::string idat = "IDAT";
    const auto chunk = std::search(png.begin(), png.end(), idat.begin(), idat.end());
    ASSERT_NE(chunk, png.end());
    *(chunk + 6) ^= 0x55; // inside the picture data: its CRC no longer matches
    WriteBytes(Path("bad-crc.png"), png);

    std::vector<std::uint8_t> bmp = ReadBytes(Path("whole.bmp"));
    PutLittle32(bmp, 18, 30000);
    PutLittle32(bmp, 22, 30000);
    WriteBytes(Path("claims-30000.bmp"), bmp);
    PutLittle32(bmp, 18, 8192);
    PutLittle32(bmp, 22, 8192); // each side allowed, the whole too large
    WriteBytes(Path("claims-8192.bmp"), bmp);
    std::vector<std::uint8_t> rle = ReadBytes(Path("rle.bmp"));
    PutLittle32(rle, 22, 3000000);
    WriteBytes(Path("rle-million-rows.bmp"), rle);
    WriteBytes(Path("claims-16000.jpg"), ClaimJpegSize(ReadBytes(Path("whole.jpg")), 16000, 16000));
    for (const char* format : {"GIF", "XPM", "PPM", "TGA"}) {
        ASSERT_TRUE(
            Convert(std::string("-alpha off ") + format + ":", std::string(format) + ".jpg"));
    }
    for (const char* name : {"wide.jpg", "wide.png", "wide.bmp"}) { // one pixel over the limit
        ASSERT_EQ(
            std::system(("convert -size 8193x2 xc:red '" + Path(name) + "' 2>/dev/null").c_str()),
            0);
    }
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='100000' "
                            "height='100000'><rect width='100%' height='100%'/></svg>\n";
    WriteBytes(Path("SVG.jpg"), {svg.begin(), svg.end()});
    WriteBytes(Path("empty.bmp"), {});
    std::vector<std::uint8_t> garbage(1000);
    for (std::size_t i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
    }
    WriteBytes(Path("garbage.jpg"), garbage);
    ASSERT_EQ(mkfifo(Path("pipe.bmp").c_str(), 0600), 0);

    for (const char* name : {"missing.bmp",
                             "cut-whole.jpg",
                             "cut-whole.png",
                             "cut-whole.bmp",
                             "nearly-whole.jpg",
                             "scans-missing.jpg",
                             "bad-crc.png",
                             "huge-text.png",
                             "claims-30000.bmp",
                             "claims-8192.bmp",
                             "rle-million-rows.bmp",
                             "claims-16000.jpg",
                             "GIF.jpg",
                             "XPM.jpg",
                             "PPM.jpg",
                             "TGA.jpg",
                             "SVG.jpg",
                             "wide.jpg",
                             "wide.png",
                             "wide.bmp",
                             "empty.bmp",
                             "garbage.jpg",
                             "pipe.bmp"}) {
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(&device_);
        EXPECT_TRUE(FAILED(Load(name, 8, 4, &texture))) << name;
        EXPECT_EQ(texture, nullptr) << name;
    }
    EXPECT_EQ(device_.CountOf("CreateTexture"), 0) << "nothing made for a file that fails";
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 300 * 1024) << "kilobytes at the peak";
}

// A 4 x 2 picture of 8-bit palette indices, with a palette of red and green only.
std::vector<std::uint8_t> PaletteBmp(std::uint32_t compression, std::vector<std::uint8_t> data) {
    std::vector<std::uint8_t> bmp(14 + 40 + 8);
    bmp[0] = 'B';
    bmp[1] = 'M';
    PutLittle32(bmp, 10, static_cast<std::uint32_t>(bmp.size()));
    PutLittle32(bmp, 14, 40);
    PutLittle32(bmp, 18, 4);
    PutLittle32(bmp, 22, 2);
    PutLittle32(bmp, 26, 1 | 8 << 16); // planes, bits per pixel
    PutLittle32(bmp, 30, compression);
    PutLittle32(bmp, 46, 2);
    PutLittle32(bmp, 54, 0xFF0000);
    PutLittle32(bmp, 58, 0x00FF00);
    bmp.insert(bmp.end(), data.begin(), data.end());
    PutLittle32(bmp, 2, static_cast<std::uint32_t>(bmp.size()));
    return bmp;
}

// Damage inside the pixel data is shown as Windows and the browsers show it; data that ends
// before the picture does is refused.
TEST(BmpDamage, IsShownAsOtherViewersShowItOrRefusedWhenDataIsMissing) {
    constexpr std::uint32_t R = 0xFFFF0000u, G = 0xFF00FF00u, K = 0xFF000000u;
    constexpr std::uint32_t kRle8 = 1;
    const struct {
        const char* what;
        std::uint32_t compression;
        std::vector<std::uint8_t> data;   // rows bottom first
        std::vector<std::uint32_t> shown; // rows top first; empty: refused
    } cases[] = {
        {"indices past the palette are black",
         0,
         {0, 1, 5, 255, 1, 1, 2, 0},
         {G, G, K, R, R, G, K, K}},
        {"a run past the row's end is cut there",
         kRle8,
         {6, 1, 0, 0, 4, 0, 0, 1},
         {R, R, R, R, G, G, G, G}},
        {"an early end leaves palette entry 0", kRle8, {2, 1, 0, 1}, {R, R, R, R, G, G, R, R}},
        {"a run index past the palette is black",
         kRle8,
         {4, 7, 0, 0, 4, 1, 0, 1},
         {G, G, G, G, K, K, K, K}},
        {"run lengths without an end", kRle8, {4, 1, 0, 0, 4, 1}, {}},
        {"an absolute run cut short", kRle8, {0, 4, 1, 1}, {}},
        {"rows cut short", 0, {0, 1, 0, 1}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DecodedImage image;
        const std::vector<std::uint8_t> file = PaletteBmp(c.compression, c.data);
        EXPECT_EQ(DecodeImage(file, image), !c.shown.empty());
        EXPECT_EQ(image.pixels, c.shown);
    }
}

TEST(TextureLoad, NotUsableDeviceGivesMinus28WithoutTouchingTheFile) {
    KeepGLDriverLoaded();
    FakeApplication fake;
    ASSERT_EQ(fake.Create(), 0);
    fake.Device().cooperativeLevel = D3DERR_DEVICELOST;
    fake.application.Update();
    ASSERT_FALSE(fake.application.IsDeviceUsable());
    Texture texture(fake.application);
    EXPECT_EQ(texture.Load("Data\\Missing.bmp", 64, 64), -28);
    EXPECT_EQ(texture.deviceTexture, nullptr);
    EXPECT_EQ(fake.Device().CountOf("CreateTexture"), 0);
}

TEST(TextureLoad, LoaderFailureGivesMinus29AndLeavesTheTextureEmpty) {
    KeepGLDriverLoaded();
    FakeApplication fake;
    ASSERT_EQ(fake.Create(), 0);
    Texture texture(fake.application);
    EXPECT_EQ(texture.Load("Data\\Missing.bmp", 64, 64), -29);
    EXPECT_EQ(texture.deviceTexture, nullptr);
    texture.Release();
    texture.Release();
}

TEST_F(TextureFiles, TextureLoadsThroughTheApplicationsDevice) {
    ASSERT_TRUE(Convert("-alpha off BMP3:", "picture.bmp"));
    FakeApplication fake;
    ASSERT_EQ(fake.Create(), 0);
    Texture texture(fake.application);
    ASSERT_EQ(texture.Load(Path("picture.bmp").c_str(), 64, 32), 0);
    ASSERT_NE(texture.deviceTexture, nullptr);
    auto* recorded = static_cast<RecordingTexture*>(texture.deviceTexture);
    EXPECT_EQ(recorded->width, 64u);
    EXPECT_EQ(recorded->height, 32u);
    EXPECT_EQ(recorded->pool, D3DPOOL_MANAGED);
    // Device creation failing inside the loader is a loader failure too.
    fake.Device().createTextureResult = D3DERR_OUTOFVIDEOMEMORY;
    Texture second(fake.application);
    EXPECT_EQ(second.Load(Path("picture.bmp").c_str(), 64, 32), -29);
    EXPECT_EQ(second.deviceTexture, nullptr);
    texture.Release();
    EXPECT_EQ(texture.deviceTexture, nullptr);
    EXPECT_TRUE(recorded->released);
}

} // namespace
