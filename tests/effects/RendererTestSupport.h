#pragma once
// Helpers for the renderer tests against the recording device.

#include "effects/RenderVertex.h"
#include "geometry/Mesh.h"
#include "platform/Texture.h"
#include "support/FakeApplication.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// Fills an empty mesh the way a scene does: counts plus arrays the mesh then owns.
inline void FillMesh(Mesh& mesh, const std::vector<D3DVECTOR>& positions,
                     const std::vector<MeshFace>& faces) {
    mesh.Release();
    mesh.vertexCount = static_cast<std::int32_t>(positions.size());
    mesh.faceCount = static_cast<std::int32_t>(faces.size());
    mesh.positions = new D3DVECTOR[positions.size()];
    std::copy(positions.begin(), positions.end(), mesh.positions);
    mesh.faces = new MeshFace[faces.size()];
    std::copy(faces.begin(), faces.end(), mesh.faces);
}

// A mesh of `vertexCount` vertices on a line and `faceCount` faces over its first vertices.
inline void FillCountedMesh(Mesh& mesh, int vertexCount, int faceCount) {
    std::vector<D3DVECTOR> positions(static_cast<std::size_t>(vertexCount));
    for (std::size_t i = 0; i < positions.size(); ++i) {
        positions[i] = {static_cast<float>(i % 256), static_cast<float>(i / 256), 0.0f};
    }
    std::vector<MeshFace> faces(static_cast<std::size_t>(faceCount), MeshFace{0, 1, 256});
    FillMesh(mesh, positions, faces);
}

inline std::vector<RenderVertex> VerticesOf(const std::vector<BYTE>& bytes, std::size_t count) {
    std::vector<RenderVertex> vertices(count);
    std::memcpy(vertices.data(), bytes.data(), count * sizeof(RenderVertex));
    return vertices;
}

// Makes the application's device lost: IsDeviceUsable turns false.
inline void LoseDevice(FakeApplication& fake) {
    fake.Device().cooperativeLevel = D3DERR_DEVICELOST;
    fake.application.Update();
}

// Writes a 24-bit Windows bitmap of one colour (0xRRGGBB), for texture loads.
inline bool WriteSolidBmp(const std::string& path, int width, int height, std::uint32_t rgb) {
    const int rowBytes = (width * 3 + 3) & ~3;
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(rowBytes * height);
    std::vector<unsigned char> file(54 + dataBytes, 0);
    auto put32 = [&file](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            file[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, 54 + dataBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, dataBytes);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t at = 54 + static_cast<std::size_t>(y * rowBytes + x * 3);
            file[at] = static_cast<unsigned char>(rgb);
            file[at + 1] = static_cast<unsigned char>(rgb >> 8);
            file[at + 2] = static_cast<unsigned char>(rgb >> 16);
        }
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

// Gives `texture` a device texture on the fake's recording device and returns it.
inline IDirect3DTexture8* LoadTestTexture(FakeApplication& fake, Texture& texture) {
    IDirect3DTexture8* created = nullptr;
    fake.Device().CreateTexture(4, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &created);
    texture.deviceTexture = created;
    return created;
}
