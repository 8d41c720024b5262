#pragma once
// The sphere both Schtar and Stekelz load as "Data\Bol.msh", made small for tests: the centre,
// two poles and rings of 16 vertices, radius 180 file units (0.99 after the scenes' scale).
// Several vertices lie on the x = 0 or y = 0 planes, where the scenes' waves vanish.

#include "SceneTestSupport.h"
#include "geometry/Mesh.h"
#include "geometry/MeshFile.h"

#include <cmath>
#include <vector>

// Written into the working directory's "Data" folder (a ScopedDataFolder).
inline void WriteBall() {
    constexpr float radius = 180.0f;
    std::vector<D3DVECTOR> positions{
        {0.0f, 0.0f, 0.0f}, {0.0f, radius, 0.0f}, {0.0f, -radius, 0.0f}};
    for (int ring = -4; ring <= 4; ++ring) {
        const float latitude = static_cast<float>(ring) * 0.34906584f; // 20 degrees
        for (int step = 0; step < 16; ++step) {
            const float longitude = static_cast<float>(step) * 0.39269908f; // 22.5 degrees
            D3DVECTOR p{radius * std::cos(latitude) * std::cos(longitude),
                        radius * std::sin(latitude),
                        radius * std::cos(latitude) * std::sin(longitude)};
            if (step % 4 == 2) {
                p.x = 0.0f; // exactly on the plane x = 0
            }
            positions.push_back(p);
        }
    }
    std::vector<MeshFace> faces;
    for (int i = 1; i + 1 < static_cast<int>(positions.size()); ++i) {
        faces.push_back({0, i, i + 1});
    }
    WriteMeshFile("Data/Bol.msh", positions, faces);
}

// The ball as the scenes load it; its restPositions are what every frame starts from.
inline void LoadBall(Mesh& mesh) {
    mesh.Load("Data\\Bol.msh", 0.0055f);
}
