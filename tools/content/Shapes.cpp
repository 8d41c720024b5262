#include "tools/content/MeshData.h"

#include "tools/content/Noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>

namespace content {

namespace {

Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
Vec3 Normalised(Vec3 a) {
    return a * (1.0f / Length(a));
}

using Triangle = std::array<std::int32_t, 3>;

// Appends a triangle, turned so that its normal points away from `inside`.
void AddOutward(MeshData& mesh, std::int32_t a, std::int32_t b, std::int32_t c, Vec3 inside) {
    const Vec3 p0 = mesh.positions[a], p1 = mesh.positions[b], p2 = mesh.positions[c];
    const Vec3 centre = (p0 + p1 + p2) * (1.0f / 3.0f);
    if (Dot(Cross(p1 - p0, p2 - p0), centre - inside) < 0) {
        std::swap(b, c);
    }
    mesh.indices.insert(mesh.indices.end(), {a, b, c});
}

std::int32_t AddVertex(MeshData& mesh, Vec3 p) {
    mesh.positions.push_back(p);
    return static_cast<std::int32_t>(mesh.positions.size() - 1);
}

// Unit icosahedron subdivided `levels` times, vertices on the unit sphere.
void Geodesic(int levels, std::vector<Vec3>& points, std::vector<Triangle>& triangles) {
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    points = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
              {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (Vec3& p : points) {
        p = Normalised(p);
    }
    triangles = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                 {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                 {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                 {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
    for (int level = 0; level < levels; ++level) {
        std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> middles;
        auto middle = [&](std::int32_t a, std::int32_t b) {
            auto key = std::minmax(a, b);
            auto found = middles.find(key);
            if (found != middles.end()) {
                return found->second;
            }
            points.push_back(Normalised((points[a] + points[b]) * 0.5f));
            auto index = static_cast<std::int32_t>(points.size() - 1);
            middles.emplace(key, index);
            return index;
        };
        std::vector<Triangle> finer;
        finer.reserve(triangles.size() * 4);
        for (const Triangle& tri : triangles) {
            std::int32_t ab = middle(tri[0], tri[1]), bc = middle(tri[1], tri[2]),
                         ca = middle(tri[2], tri[0]);
            finer.push_back({tri[0], ab, ca});
            finer.push_back({tri[1], bc, ab});
            finer.push_back({tri[2], ca, bc});
            finer.push_back({ab, bc, ca});
        }
        triangles = std::move(finer);
    }
}

} // namespace

double SignedVolume(const MeshData& mesh) {
    double volume = 0;
    for (std::size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
        const Vec3 a = mesh.positions[mesh.indices[i]], b = mesh.positions[mesh.indices[i + 1]],
                   c = mesh.positions[mesh.indices[i + 2]];
        const Vec3 n = Cross(b, c);
        volume += static_cast<double>(a.x) * n.x + static_cast<double>(a.y) * n.y +
                  static_cast<double>(a.z) * n.z;
    }
    return volume / 6.0;
}

float Extent(const MeshData& mesh) {
    float extent = 0;
    for (const Vec3& p : mesh.positions) {
        extent = std::max(extent, Length(p));
    }
    return extent;
}

MeshData MakeIcosphere(float radius, int levels) {
    std::vector<Vec3> points;
    std::vector<Triangle> triangles;
    Geodesic(levels, points, triangles);
    MeshData mesh;
    for (const Vec3& p : points) {
        mesh.positions.push_back(p * radius);
    }
    for (const Triangle& tri : triangles) {
        AddOutward(mesh, tri[0], tri[1], tri[2], {});
    }
    return mesh;
}

MeshData MakeGem(float radius) {
    std::vector<Vec3> points;
    std::vector<Triangle> triangles;
    Geodesic(1, points, triangles);
    // A slightly squashed, unevenly cut stone: every corner pushed in or out a little.
    Random random(4243);
    for (Vec3& p : points) {
        float k = random.Range(0.9f, 1.04f);
        p = Vec3{p.x * k, p.y * k * 0.92f, p.z * k};
    }
    MeshData mesh;
    for (const Triangle& tri : triangles) {
        std::int32_t a = AddVertex(mesh, points[tri[0]] * radius);
        std::int32_t b = AddVertex(mesh, points[tri[1]] * radius);
        std::int32_t c = AddVertex(mesh, points[tri[2]] * radius);
        AddOutward(mesh, a, b, c, {});
    }
    return mesh;
}

MeshData MakePoleCluster(float reach) {
    MeshData mesh;
    Random random(5557);
    const int bars = 8;
    for (int i = 0; i < bars; ++i) {
        // Axes spread over the sphere (golden-angle spiral) and tipped a little at random.
        float h = 1.0f - (static_cast<float>(i) + 0.5f) / static_cast<float>(bars);
        float ring = std::sqrt(1.0f - h * h);
        float angle = 2.3999632f * static_cast<float>(i) + random.Range(-0.3f, 0.3f);
        Vec3 axis = Normalised({ring * std::cos(angle), h, ring * std::sin(angle)});
        Vec3 helper = std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
        Vec3 side = Normalised(Cross(axis, helper));
        Vec3 up = Cross(side, axis);
        float twist = random.Range(0.0f, 6.2831853f);
        Vec3 across1 = side * std::cos(twist) + up * std::sin(twist);
        Vec3 across2 = Cross(across1, axis);

        const int corners = (i % 3 == 0) ? 4 : 6;
        const float width = random.Range(5.0f, 8.0f);
        const Vec3 centre =
            across1 * random.Range(-6.0f, 6.0f) + across2 * random.Range(-6.0f, 6.0f);
        // The centre lies across the axis, so a corner is at most sqrt(|centre|^2 + half^2)
        // + width from the origin: the longest half-length that stays within reach.
        const float offAxis = Length(centre);
        float half =
            std::sqrt(std::max(0.0f, (reach - width) * (reach - width) - offAxis * offAxis));
        half *= random.Range(0.82f, 1.0f);

        std::vector<Vec3> ring0, ring1;
        for (int k = 0; k < corners; ++k) {
            float a = 6.2831853f * (static_cast<float>(k) + 0.5f) / static_cast<float>(corners);
            Vec3 offset = across1 * (width * std::cos(a)) + across2 * (width * std::sin(a));
            ring0.push_back(centre - axis * half + offset);
            ring1.push_back(centre + axis * half + offset);
        }
        // Sides: one quad per edge, its own four vertices (crisp edges under smooth normals).
        for (int k = 0; k < corners; ++k) {
            int n = (k + 1) % corners;
            std::int32_t a = AddVertex(mesh, ring0[k]), b = AddVertex(mesh, ring0[n]);
            std::int32_t c = AddVertex(mesh, ring1[n]), d = AddVertex(mesh, ring1[k]);
            AddOutward(mesh, a, b, c, centre);
            AddOutward(mesh, a, c, d, centre);
        }
        // Caps: a fan over each end.
        for (const std::vector<Vec3>* cap : {&ring0, &ring1}) {
            std::int32_t first = AddVertex(mesh, (*cap)[0]);
            for (int k = 1; k < corners; ++k) {
                AddVertex(mesh, (*cap)[k]);
            }
            for (int k = 1; k + 1 < corners; ++k) {
                AddOutward(mesh, first, first + k, first + k + 1, centre);
            }
        }
    }
    return mesh;
}

} // namespace content
