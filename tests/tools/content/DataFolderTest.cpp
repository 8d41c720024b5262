// The Data folder the build generated, read through the engine's own loaders: every file
// the show opens exists under its exact name and loads at the size the scenes ask for.
#include "tools/content/ContentSet.h"
#include "tools/content/Soundtrack.h"

#include "geometry/Mesh.h"
#include "sound/audio/Mp3Decoder.h"

#include "platform/d3d8/D3D8.h"
#include "support/RecordingDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

const std::string kData = VELLOMIRE_DATA_DIR;

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> texels; // X8R8G8B8
    int At(int x, int y, int c) const {
        return static_cast<int>((texels[static_cast<std::size_t>(y) * width + x] >> (16 - 8 * c)) &
                                0xFF);
    }
    double Brightness(int x, int y) const {
        return (At(x, y, 0) + At(x, y, 1) + At(x, y, 2)) / 3.0;
    }
};

// Loaded as the scenes load it: the engine's texture-file loader at the given size, one
// level, managed, onto a recording device whose texels can be read back.
Picture Load(const std::string& name, int width, int height) {
    Picture picture;
    RecordingDevice device;
    IDirect3DTexture8* texture = nullptr;
    if (D3DXCreateTextureFromFileExA(&device, (kData + "/" + name).c_str(),
                                     static_cast<UINT>(width), static_cast<UINT>(height), 1, 0,
                                     D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                     nullptr, nullptr, &texture) != D3D_OK) {
        return picture;
    }
    auto* recorded = static_cast<RecordingTexture*>(texture);
    picture.width = static_cast<int>(recorded->width);
    picture.height = static_cast<int>(recorded->height);
    picture.texels = recorded->texels;
    texture->Release();
    return picture;
}

struct TextureCase {
    const char* name;
    int width, height;
    bool seamless;
    enum { any, onBlack, onWhite } ground;
};

const TextureCase kTextures[] = {
    {"Marble1.jpg", 64, 64, true, TextureCase::any},
    {"Marble2.jpg", 64, 64, true, TextureCase::any},
    {"Marble3.jpg", 64, 64, true, TextureCase::any},
    {"Marble4.jpg", 64, 64, true, TextureCase::any},
    {"PeskyBack.jpg", 640, 480, false, TextureCase::any},
    {"Wolk.jpg", 128, 128, true, TextureCase::any},
    {"Sterf.bmp", 640, 200, false, TextureCase::onBlack},
    {"Chess.jpg", 256, 256, true, TextureCase::any},
    {"Tolm1.jpg", 640, 480, false, TextureCase::any},
    {"Wendo2.jpg", 256, 256, false, TextureCase::any},
    {"Wendo.jpg", 256, 256, false, TextureCase::any},
    {"Bot1.bmp", 256, 256, true, TextureCase::any},
    {"Logo.bmp", 640, 200, false, TextureCase::onBlack},
    {"Particle.bmp", 64, 64, false, TextureCase::onBlack},
    {"Stekel.jpg", 64, 64, false, TextureCase::onBlack},
    {"Screes.bmp", 640, 200, false, TextureCase::onBlack},
    {"Plek.bmp", 640, 200, false, TextureCase::onBlack},
    {"Paddo.bmp", 256, 256, true, TextureCase::any},
    {"Greets1.jpg", 640, 300, false, TextureCase::onBlack},
    {"Greets2.jpg", 640, 300, false, TextureCase::onBlack},
    {"Greets3.jpg", 640, 300, false, TextureCase::onBlack},
    {"WhiteParticle.bmp", 64, 64, false, TextureCase::onBlack},
    {"BlackParticle.bmp", 64, 64, false, TextureCase::onWhite},
    {"Checker.jpg", 256, 256, false, TextureCase::any},
    {"LafBlauwtje.jpg", 256, 256, false, TextureCase::any},
};

// Mean brightness step across the wrap-around seam (last column to first, last row to
// first) against the largest mean step across any column or row boundary inside: a
// seamless picture's seam looks like any other boundary (a chessboard's included).
void SeamAndInterior(const Picture& p, double& seam, double& interior) {
    auto columnStep = [&](int x0, int x1) {
        double sum = 0;
        for (int y = 0; y < p.height; ++y) {
            sum += std::fabs(p.Brightness(x1, y) - p.Brightness(x0, y));
        }
        return sum / p.height;
    };
    auto rowStep = [&](int y0, int y1) {
        double sum = 0;
        for (int x = 0; x < p.width; ++x) {
            sum += std::fabs(p.Brightness(x, y1) - p.Brightness(x, y0));
        }
        return sum / p.width;
    };
    seam = std::max(columnStep(p.width - 1, 0), rowStep(p.height - 1, 0));
    interior = 0;
    for (int x = 0; x + 1 < p.width; ++x) {
        interior = std::max(interior, columnStep(x, x + 1));
    }
    for (int y = 0; y + 1 < p.height; ++y) {
        interior = std::max(interior, rowStep(y, y + 1));
    }
}

} // namespace

TEST(DataFolder, EveryTextureLoadsAtItsSizeWithContent) {
    for (const TextureCase& c : kTextures) {
        SCOPED_TRACE(c.name);
        const Picture p = Load(c.name, c.width, c.height);
        ASSERT_EQ(p.width, c.width);
        ASSERT_EQ(p.height, c.height);
        double sum = 0, sumSq = 0;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                sum += p.Brightness(x, y);
                sumSq += p.Brightness(x, y) * p.Brightness(x, y);
            }
        }
        const double n = static_cast<double>(p.width) * p.height;
        const double deviation = std::sqrt(std::max(0.0, sumSq / n - (sum / n) * (sum / n)));
        // The tunnel layers are dim on purpose (ten of them are added), so the bar is low.
        EXPECT_GT(deviation, 3.0) << "a flat picture";
        if (c.seamless) {
            double seam, interior;
            SeamAndInterior(p, seam, interior);
            EXPECT_LE(seam, interior * 1.2 + 2.0) << "a visible edge when tiled";
        }
        if (c.ground != TextureCase::any) {
            const int corners[4][2] = {
                {0, 0}, {p.width - 1, 0}, {0, p.height - 1}, {p.width - 1, p.height - 1}};
            for (const auto& xy : corners) {
                const double b = p.Brightness(xy[0], xy[1]);
                EXPECT_TRUE(c.ground == TextureCase::onBlack ? b < 6 : b > 249) << "corner " << b;
            }
        }
    }
}

TEST(DataFolder, BitmapsAre24BitUncompressed) {
    for (const TextureCase& c : kTextures) {
        const std::string name = c.name;
        if (name.substr(name.size() - 4) != ".bmp") {
            continue;
        }
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> bytes = ReadAll(kData + "/" + name);
        ASSERT_GT(bytes.size(), 54u);
        EXPECT_EQ(bytes[28], 24);
        EXPECT_EQ(bytes[30], 0);
    }
}

namespace {

double SignedVolume(const Mesh& mesh) {
    double volume = 0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        const D3DVECTOR a = mesh.positions[mesh.faces[f].i0], b = mesh.positions[mesh.faces[f].i1],
                        c = mesh.positions[mesh.faces[f].i2];
        volume += a.x * (static_cast<double>(b.y) * c.z - static_cast<double>(b.z) * c.y) +
                  a.y * (static_cast<double>(b.z) * c.x - static_cast<double>(b.x) * c.z) +
                  a.z * (static_cast<double>(b.x) * c.y - static_cast<double>(b.y) * c.x);
    }
    return volume / 6.0;
}

float Extent(const Mesh& mesh) {
    float extent = 0;
    for (int i = 0; i < mesh.vertexCount; ++i) {
        const D3DVECTOR p = mesh.positions[i];
        extent = std::max(extent, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
    }
    return extent;
}

} // namespace

TEST(DataFolder, MeshesLoadWithValidIndicesOutwardWindingAndTheirSceneSizes) {
    struct Case {
        const char* name;
        float scale, minExtent, maxExtent;
        int minVertices, maxVertices;
    };
    const Case cases[] = {
        // A ball under a unit in Stekelz and Schtar, 1.28 in Test, whose twisting keeps it mostly
        // in front of a camera 2 away; few enough vertices that Stekelz's spikes stay apart.
        {"Bol.msh", 0.0055f, 0.85f, 0.9f, 500, 800},
        {"Hedra.msh", 0.004f, 0.2f, 0.235f, 150, 600}, // marbles 0.5 apart on the board
        {"Palen.msh", 0.01f, 0.7f, 0.9f, 50, 2000},    // inside the telephoto view
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mesh mesh;
        ASSERT_EQ(mesh.Load((kData + "/" + c.name).c_str(), c.scale), 0);
        EXPECT_GE(mesh.vertexCount, c.minVertices);
        EXPECT_LE(mesh.vertexCount, c.maxVertices);
        ASSERT_GT(mesh.faceCount, 0);
        for (int f = 0; f < mesh.faceCount; ++f) {
            for (std::int32_t i : {mesh.faces[f].i0, mesh.faces[f].i1, mesh.faces[f].i2}) {
                ASSERT_GE(i, 0);
                ASSERT_LT(i, mesh.vertexCount);
            }
        }
        EXPECT_GT(SignedVolume(mesh), 0.0);
        EXPECT_GE(Extent(mesh), c.minExtent);
        EXPECT_LE(Extent(mesh), c.maxExtent);
    }
}

TEST(DataFolder, HeightmapIs64By64SignedSamplesAndLoadsAsTheTerrainGrid) {
    EXPECT_EQ(std::filesystem::file_size(kData + "/Scape1.raw"), 4096u);
    Mesh land;
    ASSERT_EQ(land.LoadHeightmap((kData + "/Scape1.raw").c_str(), 3.85f, 64, 64), 0);
    EXPECT_EQ(land.vertexCount, 4096);
    EXPECT_EQ(land.faceCount, 7938);
    // The camera flies at heights 0 to 2 near the centre: the ground there lies well below.
    EXPECT_LT(land.positions[32 * 64 + 32].y, -8.0f);
}

namespace {

struct Decoded {
    int rate = 0, channels = 0;
    std::vector<std::int16_t> samples; // interleaved
};

Decoded DecodeMp3(const std::string& path) {
    Decoded out;
    Mp3Decoder::OpenError error{};
    std::unique_ptr<Mp3Decoder> decoder = Mp3Decoder::Open(ReadAll(path), {}, error);
    if (!decoder) {
        return out;
    }
    out.rate = decoder->Rate();
    out.channels = decoder->Channels();
    out.samples.resize(decoder->Length() * static_cast<std::size_t>(decoder->Channels()));
    const std::size_t frames = decoder->Read(out.samples.data(), decoder->Length());
    out.samples.resize(frames * static_cast<std::size_t>(decoder->Channels()));
    return out;
}

double RmsDb(const Decoded& d, double from, double to) {
    const std::size_t a = static_cast<std::size_t>(from * d.rate) * 2,
                      b = static_cast<std::size_t>(to * d.rate) * 2;
    double sum = 0;
    for (std::size_t i = a; i < b && i < d.samples.size(); ++i) {
        const double s = d.samples[i] / 32768.0;
        sum += s * s;
    }
    return 10 * std::log10(std::max(sum / static_cast<double>(b - a), 1e-20));
}

// Power of the mono sum over [from, to) in each of the frequency bands [edges[i], edges[i + 1])
// (Hz), from Hann-windowed blocks of 8192 samples.
std::vector<double> BandPowers(const Decoded& d, double from, double to,
                               const std::vector<double>& edges) {
    const std::size_t n = 8192;
    std::vector<double> power(edges.size() - 1, 0.0);
    std::vector<std::complex<double>> block(n);
    for (std::size_t start = static_cast<std::size_t>(from * d.rate);
         start + n <= static_cast<std::size_t>(to * d.rate); start += n) {
        for (std::size_t i = 0; i < n; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / n);
            block[i] = hann * (d.samples[2 * (start + i)] + d.samples[2 * (start + i) + 1]);
        }
        // In-place radix-2 FFT.
        for (std::size_t i = 1, j = 0; i < n; ++i) {
            std::size_t bit = n >> 1;
            for (; j & bit; bit >>= 1) {
                j ^= bit;
            }
            j ^= bit;
            if (i < j) {
                std::swap(block[i], block[j]);
            }
        }
        for (std::size_t len = 2; len <= n; len <<= 1) {
            const std::complex<double> step = std::polar(1.0, -2 * M_PI / static_cast<double>(len));
            for (std::size_t i = 0; i < n; i += len) {
                std::complex<double> w = 1;
                for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
                    const std::complex<double> a = block[i + k], b = block[i + k + len / 2] * w;
                    block[i + k] = a + b;
                    block[i + k + len / 2] = a - b;
                }
            }
        }
        for (std::size_t k = 1; k < n / 2; ++k) {
            const double hz = static_cast<double>(k) * d.rate / n;
            for (std::size_t b = 0; b + 1 < edges.size(); ++b) {
                if (hz >= edges[b] && hz < edges[b + 1]) {
                    power[b] += std::norm(block[k]);
                }
            }
        }
    }
    return power;
}

} // namespace

TEST(DataFolder, SoundtrackIsStereo44100OfTheShowsLengthWithHeadroomAndAccents) {
    const Decoded d = DecodeMp3(kData + "/Demo.mp3");
    ASSERT_EQ(d.rate, 44100);
    ASSERT_EQ(d.channels, 2);
    const double seconds = static_cast<double>(d.samples.size()) / 2 / d.rate;
    EXPECT_GE(seconds, 204.0);
    EXPECT_LE(seconds, 206.0);

    int peak = 0;
    for (std::int16_t s : d.samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    EXPECT_LT(20 * std::log10(peak / 32768.0), -1.0) << "peak in dBFS";
    EXPECT_LT(RmsDb(d, 203.05, seconds), -80.0) << "faded out by 203 s";
    EXPECT_GT(RmsDb(d, 20, 30), -20.0) << "a full-level piece";

    // The decoder is gapless, so music time and picture time agree: every accent is louder
    // than the quarter second before it.
    for (double t : content::AccentTimes()) {
        SCOPED_TRACE(t);
        EXPECT_GT(RmsDb(d, t, t + 0.25), RmsDb(d, t - 0.25, t) + 3.0);
    }

    // Balanced for small speakers too: under the music's body (13 to 201 s) the lows below
    // 100 Hz carry at most 60 % of the power, and the middle, 0.5 to 2 kHz, lies within 9 dB.
    const std::vector<double> bands = BandPowers(d, 13, 201, {0, 100, 500, 2000, 22050});
    const double total = bands[0] + bands[1] + bands[2] + bands[3];
    EXPECT_LE(bands[0] / total, 0.6);
    EXPECT_GE(10 * std::log10(bands[2] / bands[0]), -9.0);
}

TEST(DataFolder, GeneratingAgainGivesIdenticalBytes) {
    std::vector<content::ContentFile> files;
    std::string error;
    ASSERT_TRUE(content::ListContentFiles(files, error)) << error;
    EXPECT_EQ(files.size(), 30u); // 25 textures, 3 meshes, the heightmap, the soundtrack
    for (const content::ContentFile& file : files) {
        SCOPED_TRACE(file.name);
        EXPECT_TRUE(file.make() == ReadAll(kData + "/" + file.name));
    }
}
