#include "tools/content/ContentSet.h"

#include "tools/content/Heightmap.h"
#include "tools/content/ImageFiles.h"
#include "tools/content/MeshData.h"
#include "tools/content/Mp3Encoder.h"
#include "tools/content/Soundtrack.h"
#include "tools/content/Textures.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "geometry/MeshFile.h"

namespace content {

namespace {

constexpr int kJpegQuality = 92;

std::function<std::vector<std::uint8_t>()> Jpeg(std::function<Image()> make) {
    return [make] { return EncodeJpeg(make(), kJpegQuality); };
}

std::function<std::vector<std::uint8_t>()> Bmp(std::function<Image()> make) {
    return [make] { return EncodeBmp(make()); };
}

std::function<std::vector<std::uint8_t>()> Msh(std::function<MeshData()> make) {
    return [make] {
        const MeshData mesh = make();
        std::vector<D3DVECTOR> positions;
        positions.reserve(mesh.positions.size());
        for (const Vec3& p : mesh.positions) {
            positions.push_back({p.x, p.y, p.z});
        }
        std::vector<MeshFace> faces;
        faces.reserve(mesh.TriangleCount());
        for (std::size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
            faces.push_back({mesh.indices[i], mesh.indices[i + 1], mesh.indices[i + 2]});
        }
        return EncodeMeshFile(positions, faces);
    };
}

} // namespace

bool ListContentFiles(std::vector<ContentFile>& files, std::string& error) {
    auto fonts = std::make_shared<Fonts>();
    if (!fonts->bold.Open(kBoldFontPath) || !fonts->book.Open(kBookFontPath)) {
        error = std::string("cannot open the DejaVu fonts (fonts-dejavu-core): ") + kBoldFontPath;
        return false;
    }
    files = {
        {"Marble1.jpg", Jpeg([] { return MakeMarble(1); })},
        {"Marble2.jpg", Jpeg([] { return MakeMarble(2); })},
        {"Marble3.jpg", Jpeg([] { return MakeMarble(3); })},
        {"Marble4.jpg", Jpeg([] { return MakeMarble(4); })},
        {"PeskyBack.jpg", Jpeg(MakePuzzleBackdrop)},
        {"Wolk.jpg", Jpeg(MakeCloud)},
        {"Sterf.bmp", Bmp([fonts] { return MakeFarewell(*fonts); })},
        {"Chess.jpg", Jpeg(MakeChessboard)},
        {"Tolm1.jpg", Jpeg(MakeLandscape)},
        {"Wendo2.jpg", Jpeg(MakeTunnelRings)},
        {"Wendo.jpg", Jpeg(MakeTunnelPetals)},
        {"Bot1.bmp", Bmp(MakeBlobSkin)},
        {"Logo.bmp", Bmp([fonts] { return MakeLogo(*fonts); })},
        {"Particle.bmp", Bmp(MakeGlow)},
        {"Stekel.jpg", Jpeg(MakeSpike)},
        {"Screes.bmp", Bmp([fonts] { return MakeBanner(*fonts, 1); })},
        {"Plek.bmp", Bmp([fonts] { return MakeBanner(*fonts, 2); })},
        {"Paddo.bmp", Bmp(MakeToadstool)},
        {"Greets1.jpg", Jpeg([fonts] { return MakeGreeting(*fonts, 1); })},
        {"Greets2.jpg", Jpeg([fonts] { return MakeGreeting(*fonts, 2); })},
        {"Greets3.jpg", Jpeg([fonts] { return MakeGreeting(*fonts, 3); })},
        {"WhiteParticle.bmp", Bmp(MakeWhiteDot)},
        {"BlackParticle.bmp", Bmp(MakeBlackDot)},
        {"Checker.jpg", Jpeg(MakeLandTiles)},
        {"LafBlauwtje.jpg", Jpeg(MakeWater)},
        // Sizes in file units; the scenes load them at scales 0.0055 / 0.008, 0.004 and 0.01.
        // Bol is a compromise: larger, Schtar's ball comes out of its fog sooner; smaller,
        // Test's camera (2 away, at 1.45 times the scale) is less often inside its ball.
        {"Bol.msh", Msh([] { return MakeIcosphere(160.0f, 3); })},
        {"Hedra.msh", Msh([] { return MakeGem(55.0f); })},
        {"Palen.msh", Msh([] { return MakePoleCluster(85.0f); })},
        {"Demo.mp3", [] { return EncodeMp3(MakeSoundtrack(44100), 192); }},
        {"Scape1.raw",
         [] {
             std::vector<std::int8_t> samples = MakeScape();
             return std::vector<std::uint8_t>(samples.begin(), samples.end());
         }},
    };
    return true;
}

bool WriteContentFiles(const std::vector<ContentFile>& files, const std::string& folder,
                       const std::vector<std::string>& only, std::string& error) {
    for (const std::string& name : only) {
        auto known = [&](const ContentFile& f) { return f.name == name; };
        if (std::none_of(files.begin(), files.end(), known)) {
            error = "no content file named " + name;
            return false;
        }
    }
    for (const ContentFile& file : files) {
        if (!only.empty() && std::find(only.begin(), only.end(), file.name) == only.end()) {
            continue;
        }
        const std::string path = folder + "/" + file.name;
        if (!WriteBytes(path, file.make())) {
            error = "cannot write " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

} // namespace content
