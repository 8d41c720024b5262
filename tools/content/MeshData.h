#pragma once

#include <cstdint>
#include <vector>

namespace content {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

// A triangle list in file units. Coordinates are left-handed (x right, y up, z forward);
// each triangle runs clockwise as seen from outside, so (p1 - p0) x (p2 - p0) points out.
struct MeshData {
    std::vector<Vec3> positions;
    std::vector<std::int32_t> indices; // three per triangle, 0-based

    std::size_t TriangleCount() const { return indices.size() / 3; }
};

// Volume enclosed by the triangles, positive when they all face outwards.
double SignedVolume(const MeshData& mesh);
// Largest distance of a vertex from the origin.
float Extent(const MeshData& mesh);

// Bol: a geodesic sphere (icosahedron subdivided `levels` times, vertices shared);
// levels 3 gives 642 vertices and 1,280 triangles, levels 4 2,562 and 5,120.
MeshData MakeIcosphere(float radius, int levels);
// Hedra: a faceted gem, every facet with vertices of its own so it stays flat when normals
// are averaged per vertex.
MeshData MakeGem(float radius);
// Palen: closed bars crossing near the centre, no vertex farther than `reach` from it.
MeshData MakePoleCluster(float reach);

} // namespace content
