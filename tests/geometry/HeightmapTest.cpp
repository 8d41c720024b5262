#include "TempFile.h"
#include "geometry/Mesh.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(Heightmap, FlatGridOfSixtyFourSquare) {
    const TempFile file("flat.raw", std::vector<std::uint8_t>(4096, 0));
    Mesh mesh;
    ASSERT_EQ(mesh.LoadHeightmap(file.Path(), 3.85f, 64, 64), 0);
    ASSERT_EQ(mesh.vertexCount, 4096);
    ASSERT_EQ(mesh.faceCount, 7938);
    ASSERT_TRUE(mesh.hasTexCoords);
    ASSERT_NE(mesh.restPositions, nullptr);
    for (int v = 0; v < mesh.vertexCount; ++v) {
        ASSERT_EQ(mesh.positions[v].y, 1.0f);
        ASSERT_EQ(mesh.restPositions[v].x, mesh.positions[v].x);
        ASSERT_EQ(mesh.restPositions[v].z, mesh.positions[v].z);
    }
    EXPECT_EQ(mesh.positions[0].x, -32.0f);
    EXPECT_EQ(mesh.positions[0].z, -32.0f);
    EXPECT_EQ(mesh.positions[4095].x, 31.0f);
    EXPECT_EQ(mesh.positions[4095].z, 31.0f);
    for (int f = 0; f < mesh.faceCount; ++f) {
        for (std::int32_t index : {mesh.faces[f].i0, mesh.faces[f].i1, mesh.faces[f].i2}) {
            ASSERT_GE(index, 0);
            ASSERT_LT(index, 4096);
        }
    }
    // Column 1 row 1, column 2 row 1.
    EXPECT_EQ(mesh.texCoords[65].u, 0.18f);
    EXPECT_EQ(mesh.texCoords[65].v, 0.18f);
    EXPECT_EQ(mesh.texCoords[66].u, 0.0f);
    EXPECT_EQ(mesh.texCoords[66].v, 0.18f);

    // A following load replaces everything.
    mesh.MakeQuad(1.0f, 1.0f);
    EXPECT_EQ(mesh.vertexCount, 4);
}

TEST(Heightmap, SignedSamplesRowByRowAndCellTriangles) {
    // 3 wide, 2 deep; bytes after width x depth are ignored.
    const TempFile file("small.raw", {0x00, 0xFF, 0x7F, 0x80, 0x01, 0x00, 0x55, 0x55});
    Mesh mesh;
    ASSERT_EQ(mesh.LoadHeightmap(file.Path(), 3.85f, 3, 2), 0);
    ASSERT_EQ(mesh.vertexCount, 6);
    ASSERT_EQ(mesh.faceCount, 4);

    EXPECT_NEAR(mesh.positions[1].y, 1.2597403f, 1e-6f);
    EXPECT_NEAR(mesh.positions[2].y, -31.987013f, 1e-5f);
    EXPECT_NEAR(mesh.positions[3].y, 1.0f + 128.0f / 3.85f, 1e-5f);
    EXPECT_EQ(mesh.positions[3].x, -1.5f);
    EXPECT_EQ(mesh.positions[3].z, 0.0f);
    EXPECT_EQ(mesh.positions[2].x, 0.5f);
    EXPECT_EQ(mesh.positions[2].z, -1.0f);

    const MeshFace expected[] = {{0, 3, 1}, {4, 1, 3}, {1, 4, 2}, {5, 2, 4}};
    for (int f = 0; f < 4; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(mesh.faces[f].i0, expected[f].i0);
        EXPECT_EQ(mesh.faces[f].i1, expected[f].i1);
        EXPECT_EQ(mesh.faces[f].i2, expected[f].i2);
    }
}

TEST(Heightmap, RefusedSizesShortFilesAndMissingFiles) {
    const TempFile full("full.raw", std::vector<std::uint8_t>(4096, 0));
    const TempFile short4095("short.raw", std::vector<std::uint8_t>(4095, 0));
    const std::string missing =
        (std::filesystem::path(testing::TempDir()) / "no-such.raw").string();
    struct Case {
        const char* path;
        int width, depth;
        int expected;
    };
    const Case cases[] = {
        {missing.c_str(), 256, 64, -41}, // refused before the file is opened
        {missing.c_str(), 64, 256, -41}, {full.Path(), 1, 64, -41},
        {full.Path(), 64, 0, -41},       {full.Path(), -64, -64, -41},
        {short4095.Path(), 64, 64, -42}, {missing.c_str(), 64, 64, -40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.path << " " << c.width << "x" << c.depth);
        Mesh mesh;
        ASSERT_EQ(mesh.LoadHeightmap(full.Path(), 3.85f, 64, 64), 0);
        EXPECT_EQ(mesh.LoadHeightmap(c.path, 3.85f, c.width, c.depth), c.expected);
        EXPECT_EQ(mesh.vertexCount, 0);
        EXPECT_EQ(mesh.faceCount, 0);
        EXPECT_EQ(mesh.positions, nullptr);
        EXPECT_EQ(mesh.restPositions, nullptr);
        EXPECT_EQ(mesh.faces, nullptr);
        EXPECT_FALSE(mesh.hasTexCoords);
    }
}

} // namespace
