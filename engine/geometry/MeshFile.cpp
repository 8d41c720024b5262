#include "geometry/MeshFile.h"

#include <bit>
#include <cstdio>

namespace {

void AppendUint32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendInt32(std::vector<std::uint8_t>& out, std::int32_t value) {
    AppendUint32(out, static_cast<std::uint32_t>(value));
}

void AppendFloat(std::vector<std::uint8_t>& out, float value) {
    AppendUint32(out, std::bit_cast<std::uint32_t>(value));
}

bool WriteBytes(const char* path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}

} // namespace

std::vector<std::uint8_t> EncodeMeshFile(std::span<const D3DVECTOR> positions,
                                         std::span<const MeshFace> faces) {
    std::vector<std::uint8_t> out;
    out.reserve(mesh_file::FileBytes(positions.size(), faces.size()));
    out.insert(out.end(), std::begin(mesh_file::magic), std::end(mesh_file::magic));
    AppendInt32(out, static_cast<std::int32_t>(positions.size()));
    for (const D3DVECTOR& p : positions) {
        AppendFloat(out, p.x);
        AppendFloat(out, p.y);
        AppendFloat(out, p.z);
    }
    AppendInt32(out, static_cast<std::int32_t>(faces.size()));
    for (const MeshFace& f : faces) {
        AppendInt32(out, f.i0);
        AppendInt32(out, f.i1);
        AppendInt32(out, f.i2);
    }
    return out;
}

std::vector<std::uint8_t> EncodeMeshFile(const Mesh& mesh) {
    return EncodeMeshFile(
        std::span<const D3DVECTOR>(mesh.positions, mesh.positions ? mesh.vertexCount : 0),
        std::span<const MeshFace>(mesh.faces, mesh.faces ? mesh.faceCount : 0));
}

bool WriteMeshFile(const char* path, std::span<const D3DVECTOR> positions,
                   std::span<const MeshFace> faces) {
    return WriteBytes(path, EncodeMeshFile(positions, faces));
}

bool WriteMeshFile(const char* path, const Mesh& mesh) {
    return WriteBytes(path, EncodeMeshFile(mesh));
}
