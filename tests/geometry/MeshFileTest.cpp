#include "geometry/MeshFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

TEST(MeshFile, EncodesPackedLittleEndianLayout) {
    const D3DVECTOR positions[] = {{1.0f, -2.0f, 0.5f}, {0.0f, 0.0f, 3.0f}};
    const MeshFace faces[] = {{0, 1, -1}};
    const std::vector<std::uint8_t> bytes = EncodeMeshFile(positions, faces);

    const std::vector<std::uint8_t> expected = {
        'E',  'M',  'V',                    // magic
        2,    0,    0,    0,                // V
        0x00, 0x00, 0x80, 0x3F,             // 1.0
        0x00, 0x00, 0x00, 0xC0,             // -2.0
        0x00, 0x00, 0x00, 0x3F,             // 0.5
        0,    0,    0,    0,    0, 0, 0, 0, // 0.0, 0.0
        0x00, 0x00, 0x40, 0x40,             // 3.0
        1,    0,    0,    0,                // F
        0,    0,    0,    0,    1, 0, 0, 0, // 0, 1
        0xFF, 0xFF, 0xFF, 0xFF,             // -1
    };
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.size(), mesh_file::FileBytes(2, 1));
}

TEST(MeshFile, EmptyMeshIsMagicAndTwoZeroCounts) {
    const Mesh empty;
    const std::vector<std::uint8_t> expected = {'E', 'M', 'V', 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(EncodeMeshFile(empty), expected);
}

TEST(MeshFile, WritesTheEncodedBytesToAFile) {
    Mesh quad;
    quad.MakeQuad(4.0f, 3.0f);
    const std::filesystem::path path =
        std::filesystem::path(testing::TempDir()) / "MeshFile_Writes.msh";
    ASSERT_TRUE(WriteMeshFile(path.c_str(), quad));

    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> onDisk{std::istreambuf_iterator<char>(in),
                                           std::istreambuf_iterator<char>()};
    EXPECT_EQ(onDisk, EncodeMeshFile(quad));
    std::filesystem::remove(path);

    EXPECT_FALSE(WriteMeshFile("/nonexistent-folder/x.msh", quad));
}

} // namespace
