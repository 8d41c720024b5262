#include "tools/content/Heightmap.h"
#include "tools/content/MeshData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

using namespace content;

namespace {

// Every edge, with vertices welded by position, must be used exactly once in each direction
// by a closed, consistently wound surface.
bool ClosedAndConsistent(const MeshData& mesh) {
    std::map<std::tuple<float, float, float>, int> weld;
    auto id = [&](std::int32_t i) {
        const Vec3 p = mesh.positions[i];
        return weld.emplace(std::make_tuple(p.x, p.y, p.z), static_cast<int>(weld.size()))
            .first->second;
    };
    std::map<std::pair<int, int>, int> directed;
    for (std::size_t i = 0; i < mesh.indices.size(); i += 3) {
        for (int k = 0; k < 3; ++k) {
            ++directed[{id(mesh.indices[i + k]), id(mesh.indices[i + (k + 1) % 3])}];
        }
    }
    for (const auto& [edge, count] : directed) {
        auto reverse = directed.find({edge.second, edge.first});
        if (count != 1 || reverse == directed.end() || reverse->second != 1) {
            return false;
        }
    }
    return true;
}

bool IndicesValid(const MeshData& mesh) {
    for (std::int32_t i : mesh.indices) {
        if (i < 0 || static_cast<std::size_t>(i) >= mesh.positions.size()) {
            return false;
        }
    }
    return mesh.indices.size() % 3 == 0;
}

} // namespace

TEST(Shapes, SphereIsEvenClosedOutwardAndOfTheAskedRadius) {
    const MeshData sphere = MakeIcosphere(160.0f, 3);
    EXPECT_EQ(sphere.positions.size(), 642u);
    EXPECT_EQ(sphere.TriangleCount(), 1280u);
    EXPECT_TRUE(IndicesValid(sphere));
    EXPECT_TRUE(ClosedAndConsistent(sphere));
    const double ball = 4.0 / 3.0 * 3.14159265 * 160.0 * 160.0 * 160.0;
    EXPECT_GT(SignedVolume(sphere), 0.95 * ball);
    EXPECT_LT(SignedVolume(sphere), ball);
    for (const Vec3& p : sphere.positions) {
        ASSERT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 160.0f, 0.01f);
    }
}

TEST(Shapes, GemHasItsOwnVerticesPerFacetAndFacesOutwards) {
    const MeshData gem = MakeGem(55.0f);
    EXPECT_EQ(gem.positions.size(), 3 * gem.TriangleCount()); // no shared vertices
    EXPECT_GE(gem.positions.size(), 200u);
    EXPECT_LE(gem.positions.size(), 600u);
    EXPECT_TRUE(IndicesValid(gem));
    EXPECT_TRUE(ClosedAndConsistent(gem));
    EXPECT_GT(SignedVolume(gem), 0);
    EXPECT_LE(Extent(gem), 58.0f);
    EXPECT_GE(Extent(gem), 50.0f);
}

TEST(Shapes, PoleClusterIsClosedOutwardAndStaysWithinReach) {
    const MeshData poles = MakePoleCluster(85.0f);
    EXPECT_TRUE(IndicesValid(poles));
    EXPECT_TRUE(ClosedAndConsistent(poles));
    EXPECT_GT(SignedVolume(poles), 0);
    EXPECT_LE(Extent(poles), 85.0f);
    EXPECT_GE(Extent(poles), 70.0f);
    // Every triangle faces away from the middle of its own bar: a cap-to-cap check is done by
    // closure above; here simply no degenerate triangles.
    for (std::size_t i = 0; i < poles.indices.size(); i += 3) {
        const Vec3 a = poles.positions[poles.indices[i]], b = poles.positions[poles.indices[i + 1]],
                   c = poles.positions[poles.indices[i + 2]];
        const float cx = (b.y - a.y) * (c.z - a.z) - (b.z - a.z) * (c.y - a.y);
        const float cy = (b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z);
        const float cz = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        ASSERT_GT(std::sqrt(cx * cx + cy * cy + cz * cz), 1.0f);
    }
}

TEST(Shapes, SignedVolumeIsNegativeForInwardTriangles) {
    MeshData sphere = MakeIcosphere(1.0f, 1);
    for (std::size_t i = 0; i < sphere.indices.size(); i += 3) {
        std::swap(sphere.indices[i + 1], sphere.indices[i + 2]);
    }
    EXPECT_LT(SignedVolume(sphere), 0);
}

// The camera flies within 12 units of the centre at heights 0 to 2 and looks a little down:
// the ground must lie well under it, the rim low enough to leave sky above the horizon, and
// the slopes gentle enough that the checker is not stretched into stripes.
TEST(Scape, LiesWellBelowTheFlightPathWithLakesALowRimAndGentleSlopes) {
    const std::vector<std::int8_t> samples = MakeScape();
    ASSERT_EQ(samples.size(), 4096u);
    auto height = [&](int col, int row) {
        return ScapeHeight(samples[static_cast<std::size_t>(row * kScapeSize + col)]);
    };
    int lakes = 0, near = 0;
    float highest = -100, steepest = 0, steepestNear = 0;
    for (int row = 0; row < kScapeSize; ++row) {
        for (int col = 0; col < kScapeSize; ++col) {
            const float y = height(col, row);
            highest = std::max(highest, y);
            const bool inDisc =
                std::hypot(static_cast<float>(col - 32), static_cast<float>(row - 32)) < 14;
            if (inDisc) {
                ASSERT_LT(y, -8.0f) << "at column " << col << ", row " << row;
                ASSERT_GT(y, -20.0f) << "at column " << col << ", row " << row;
                lakes += y < -13.45f;
                ++near;
            }
            if (col + 1 < kScapeSize && row + 1 < kScapeSize) {
                const float step = std::max(std::fabs(height(col + 1, row) - y),
                                            std::fabs(height(col, row + 1) - y));
                steepest = std::max(steepest, step);
                if (inDisc) {
                    steepestNear = std::max(steepestNear, step);
                }
            }
        }
    }
    EXPECT_GT(lakes, near / 10);
    EXPECT_LT(lakes, near / 2) << "islands, not one sea";
    EXPECT_LT(highest, -3.0f);
    // Gentle where the camera flies low (steep steps stretch the checker into stripes), and
    // no cliffs out to the rim.
    EXPECT_LT(steepestNear, 1.5f);
    EXPECT_LT(steepest, 2.0f);

    // The light runs horizontally and the land turns under it: relief, not flat ground, is what
    // it lights. Near the flight path the slopes catch on average (over the light's directions)
    // at least 15 % of the light.
    double caught = 0;
    int samplesNear = 0;
    for (int row = 1; row + 1 < kScapeSize; ++row) {
        for (int col = 1; col + 1 < kScapeSize; ++col) {
            if (std::hypot(static_cast<float>(col - 32), static_cast<float>(row - 32)) >= 20) {
                continue;
            }
            const double gx = (height(col + 1, row) - height(col - 1, row)) / 2.0;
            const double gz = (height(col, row + 1) - height(col, row - 1)) / 2.0;
            // Averaged over all directions, max(0, cos) of the slope's normal against the light.
            caught += std::hypot(gx, gz) / std::sqrt(1 + gx * gx + gz * gz) / 3.14159265;
            ++samplesNear;
        }
    }
    EXPECT_GE(caught / samplesNear, 0.15);
    EXPECT_FLOAT_EQ(ScapeHeight(-1), 1.0f + 1.0f / 3.85f);
}
