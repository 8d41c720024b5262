#include "TempFile.h"
#include "geometry/FileReader.h"
#include "geometry/MeshFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

void AppendInt32(std::vector<std::uint8_t>& bytes, std::int32_t value) {
    std::uint8_t raw[4];
    std::memcpy(raw, &value, 4);
    bytes.insert(bytes.end(), raw, raw + 4);
}

void ExpectEmpty(const Mesh& mesh) {
    EXPECT_EQ(mesh.vertexCount, 0);
    EXPECT_EQ(mesh.faceCount, 0);
    EXPECT_EQ(mesh.positions, nullptr);
    EXPECT_EQ(mesh.restPositions, nullptr);
    EXPECT_EQ(mesh.faces, nullptr);
    EXPECT_FALSE(mesh.hasTexCoords);
    EXPECT_EQ(mesh.texCoords, nullptr);
}

const D3DVECTOR tetraPositions[] = {
    {0.0f, 2.0f, 0.0f}, {-2.0f, -1.0f, 1.0f}, {2.0f, -1.0f, 1.0f}, {0.0f, -1.0f, -3.0f}};
const MeshFace tetraFaces[] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}};

std::vector<std::uint8_t> Tetrahedron() {
    return EncodeMeshFile(tetraPositions, tetraFaces);
}

// A loaded mesh, so each failure test also shows that a failing load empties the mesh.
void LoadSomething(Mesh& mesh) {
    const TempFile file("LoadSomething.msh", Tetrahedron());
    ASSERT_EQ(mesh.Load(file.Path(), 1.0f), 0);
}

TEST(MeshLoad, LoadsWhatTheWriterWroteScaledInBothCopies) {
    const TempFile file("tetra.msh", Tetrahedron());
    Mesh mesh;
    mesh.MakeQuad(1.0f, 1.0f); // replaced, texture coordinates included
    ASSERT_EQ(mesh.Load(file.Path(), 0.5f), 0);
    ASSERT_EQ(mesh.vertexCount, 4);
    ASSERT_EQ(mesh.faceCount, 4);
    ASSERT_NE(mesh.restPositions, nullptr);
    EXPECT_NE(mesh.restPositions, mesh.positions);
    EXPECT_FALSE(mesh.hasTexCoords);
    EXPECT_EQ(mesh.texCoords, nullptr);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        for (const D3DVECTOR* p : {&mesh.positions[i], &mesh.restPositions[i]}) {
            EXPECT_EQ(p->x, tetraPositions[i].x * 0.5f);
            EXPECT_EQ(p->y, tetraPositions[i].y * 0.5f);
            EXPECT_EQ(p->z, tetraPositions[i].z * 0.5f);
        }
        EXPECT_EQ(mesh.faces[i].i0, tetraFaces[i].i0);
        EXPECT_EQ(mesh.faces[i].i1, tetraFaces[i].i1);
        EXPECT_EQ(mesh.faces[i].i2, tetraFaces[i].i2);
    }
    EXPECT_EQ(EncodeMeshFile(mesh), EncodeMeshFile(std::span(mesh.positions, 4), tetraFaces));

    // Loading MakeQuad's rectangle afterwards drops the rest copy.
    mesh.MakeQuad(4.0f, 3.0f);
    EXPECT_EQ(mesh.restPositions, nullptr);
}

TEST(MeshLoad, EmptyFileAndTrailingBytes) {
    const TempFile empty("empty.msh", {'E', 'M', 'V', 0, 0, 0, 0, 0, 0, 0, 0});
    Mesh mesh;
    LoadSomething(mesh);
    EXPECT_EQ(mesh.Load(empty.Path(), 1.0f), 0);
    ExpectEmpty(mesh);

    std::vector<std::uint8_t> bytes = Tetrahedron();
    bytes.insert(bytes.end(), {0xDE, 0xAD, 0xBE, 0xEF, 'E', 'M', 'V'});
    const TempFile trailing("trailing.msh", bytes);
    ASSERT_EQ(mesh.Load(trailing.Path(), 1.0f), 0);
    EXPECT_EQ(mesh.vertexCount, 4);
    EXPECT_EQ(mesh.faceCount, 4);
}

TEST(MeshLoad, FileCutAnywhereGivesReadFailureAndEmptyMesh) {
    const std::vector<std::uint8_t> whole = Tetrahedron();
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        const TempFile cut("cut.msh", std::vector(whole.begin(), whole.begin() + length));
        Mesh mesh;
        LoadSomething(mesh);
        EXPECT_EQ(mesh.Load(cut.Path(), 1.0f), -26);
        ExpectEmpty(mesh);
    }
}

TEST(MeshLoad, WrongMagicAndMissingFile) {
    std::vector<std::uint8_t> bytes = Tetrahedron();
    bytes[2] = 'W';
    const TempFile emw("emw.msh", bytes);
    Mesh mesh;
    LoadSomething(mesh);
    EXPECT_EQ(mesh.Load(emw.Path(), 1.0f), -27);
    ExpectEmpty(mesh);

    LoadSomething(mesh);
    const auto missing = std::filesystem::path(testing::TempDir()) / "no-such-mesh.msh";
    EXPECT_EQ(mesh.Load(missing.c_str(), 1.0f), -25);
    ExpectEmpty(mesh);
}

TEST(MeshLoad, HostileHeadersAreRefusedBeforeAnythingLarge) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const auto header = [](std::int32_t vertices) {
        std::vector<std::uint8_t> bytes = {'E', 'M', 'V'};
        AppendInt32(bytes, vertices);
        return bytes;
    };
    const auto withFaces = [&](std::int32_t faceCount, std::vector<std::int32_t> indices) {
        std::vector<std::uint8_t> bytes = header(3);
        bytes.resize(bytes.size() + 36, 0);
        AppendInt32(bytes, faceCount);
        for (std::int32_t index : indices)
            AppendInt32(bytes, index);
        return bytes;
    };
    std::vector<Case> cases = {
        {"negative vertex count", header(-1)},
        {"most negative vertex count", header(INT32_MIN)},
        {"vertex count far beyond the file", header(INT32_MAX)},
        {"negative face count", withFaces(-3, {0, 1, 2})},
        {"face count far beyond the file", withFaces(INT32_MAX, {0, 1, 2})},
        {"index equal to the vertex count", withFaces(1, {0, 1, 3})},
        {"negative index", withFaces(1, {-1, 1, 2})},
        {"faces without vertices",
         [] {
             std::vector<std::uint8_t> bytes = {'E', 'M', 'V', 0, 0, 0, 0};
             AppendInt32(bytes, 1);
             bytes.resize(bytes.size() + 12, 0);
             return bytes;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFile file("hostile.msh", c.bytes);
        Mesh mesh;
        LoadSomething(mesh);
        EXPECT_EQ(mesh.Load(file.Path(), 1.0f), -26);
        ExpectEmpty(mesh);
    }
    // The last valid index is accepted.
    const TempFile valid("valid.msh", withFaces(1, {2, 1, 0}));
    Mesh mesh;
    EXPECT_EQ(mesh.Load(valid.Path(), 1.0f), 0);
}

TEST(MeshLoad, ReadOnlyFileLoads) {
    const TempFile file("readonly.msh", Tetrahedron());
    std::filesystem::permissions(file.FsPath(), std::filesystem::perms::owner_read |
                                                    std::filesystem::perms::group_read |
                                                    std::filesystem::perms::others_read);
    Mesh mesh;
    EXPECT_EQ(mesh.Load(file.Path(), 1.0f), 0);
    EXPECT_EQ(mesh.vertexCount, 4);
}

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

TEST(MeshLoad, ClosesTheFileOnEveryPath) {
    std::vector<std::uint8_t> badMagic = Tetrahedron();
    badMagic[0] = 'X';
    std::vector<std::uint8_t> badIndex = Tetrahedron();
    badIndex.back() = 0x7F;
    const TempFile good("good.msh", Tetrahedron());
    const std::vector<std::uint8_t> whole = Tetrahedron();
    const TempFile cut("cut.msh", std::vector(whole.begin(), whole.end() - 1));
    const TempFile magic("magic.msh", badMagic);
    const TempFile index("index.msh", badIndex);

    const std::size_t before = OpenDescriptors();
    Mesh mesh;
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(mesh.Load(good.Path(), 1.0f), 0);
        EXPECT_EQ(mesh.Load(cut.Path(), 1.0f), -26);
        EXPECT_EQ(mesh.Load(magic.Path(), 1.0f), -27);
        EXPECT_EQ(mesh.Load(index.Path(), 1.0f), -26);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(FileReader, ReadsExactCountsAndRefusesShortReads) {
    const TempFile file("reader.bin", {1, 2, 3, 4, 5});
    FileReader reader;
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(reader.Read(buffer, 1), -1); // nothing open

    ASSERT_EQ(reader.Open(file.Path()), 0);
    EXPECT_EQ(reader.Read(buffer, 2), 0);
    EXPECT_EQ(buffer[1], 2);
    EXPECT_EQ(reader.Read(buffer, 4), -1); // only three left
    reader.Close();
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());

    EXPECT_EQ(reader.Open("/no/such/file"), -1);
    EXPECT_FALSE(reader.IsOpen());
}

} // namespace
