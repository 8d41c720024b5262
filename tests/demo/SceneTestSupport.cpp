#include "SceneTestSupport.h"

#include "geometry/MeshFile.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

DWORD now = 0;
DWORD Now() {
    return now;
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// 2 x 2 pixels, 24 bits, bottom row first, rows padded to four bytes.
std::vector<std::uint8_t> SmallBitmap() {
    constexpr std::uint32_t rowBytes = 8;
    constexpr std::uint32_t pixelBytes = 2 * rowBytes;
    std::vector<std::uint8_t> out{'B', 'M'};
    Put32(out, 54 + pixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, 2);
    Put32(out, 2);
    Put16(out, 1);
    Put16(out, 24);
    for (int i = 0; i < 6; ++i) {
        Put32(out, 0); // no compression, size, resolution, palette
    }
    const std::uint8_t rows[2][rowBytes] = {{0, 0, 255, 0, 255, 0, 0, 0},
                                            {255, 0, 0, 255, 255, 255, 0, 0}};
    for (const auto& row : rows) {
        out.insert(out.end(), row, row + rowBytes);
    }
    return out;
}

} // namespace

ScopedDataFolder::ScopedDataFolder() {
    static int made = 0;
    root = std::filesystem::temp_directory_path() /
           ("vellomire-scene-" + std::to_string(getpid()) + "-" + std::to_string(made++));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "Data");
    previous = std::filesystem::current_path();
    std::filesystem::current_path(root);
}

ScopedDataFolder::~ScopedDataFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(root, ignored);
}

void ScopedDataFolder::WriteImage(const char* name) const {
    const std::vector<std::uint8_t> bytes = SmallBitmap();
    std::ofstream file(root / "Data" / name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

void ScopedDataFolder::WriteMesh(const char* name, std::initializer_list<D3DVECTOR> positions,
                                 std::initializer_list<MeshFace> faces) const {
    const std::string path = (root / "Data" / name).string();
    WriteMeshFile(path.c_str(), std::span(positions.begin(), positions.size()),
                  std::span(faces.begin(), faces.size()));
}

void ScopedDataFolder::Remove(const char* name) const {
    std::filesystem::remove(root / "Data" / name);
}

ScopedClock::ScopedClock(DWORD start) {
    now = start;
    SetTimeSourceForTesting(&Now);
}

ScopedClock::~ScopedClock() {
    SetTimeSourceForTesting(nullptr);
}

void ScopedClock::Set(DWORD milliseconds) {
    now = milliseconds;
}
