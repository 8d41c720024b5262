#include "geometry/Mesh.h"

#include "geometry/FileReader.h"
#include "geometry/MeshFile.h"

#include <algorithm>
#include <bit>
#include <vector>

namespace {

static_assert(std::endian::native == std::endian::little,
              "mesh records are read as stored, and the format is little-endian");
static_assert(sizeof(D3DVECTOR) == mesh_file::vertexBytes);
static_assert(sizeof(MeshFace) == mesh_file::faceBytes);

// Records are read in blocks of at most this many, so memory grows with the bytes the file
// really holds, never with the count its header claims. A block past the end of the file is a
// short read, which fails the load as a short record read would.
constexpr std::size_t recordsPerBlock = 4096;

template <typename Record>
bool ReadRecords(FileReader& reader, std::int32_t count, std::vector<Record>& records) {
    const auto wanted = static_cast<std::size_t>(count);
    while (records.size() < wanted) {
        const std::size_t start = records.size();
        const std::size_t block = std::min(wanted - start, recordsPerBlock);
        records.resize(start + block);
        if (reader.Read(records.data() + start,
                        static_cast<std::uint32_t>(block * sizeof(Record))) != 0)
            return false;
    }
    return true;
}

template <typename T> T* CopyOf(const std::vector<T>& values) {
    if (values.empty())
        return nullptr;
    T* copy = new T[values.size()];
    std::copy(values.begin(), values.end(), copy);
    return copy;
}

} // namespace

Mesh::~Mesh() {
    Release();
}

void Mesh::Release() {
    vertexCount = 0;
    faceCount = 0;
    delete[] positions;
    positions = nullptr;
    delete[] restPositions;
    restPositions = nullptr;
    delete[] faces;
    faces = nullptr;
    delete[] texCoords;
    texCoords = nullptr;
    hasTexCoords = false;
}

EngineResult Mesh::Load(const char* path, float scale) {
    Release();
    FileReader reader; // closes the file on every return
    if (reader.Open(path) != 0)
        return engine_code::meshOpenFailed;

    char magic[mesh_file::magicBytes];
    if (reader.Read(magic, sizeof magic) != 0)
        return engine_code::meshReadFailed;
    if (!std::equal(std::begin(magic), std::end(magic), std::begin(mesh_file::magic)))
        return engine_code::meshBadSignature;

    std::int32_t readVertexCount = 0;
    std::vector<D3DVECTOR> readPositions;
    if (reader.Read(&readVertexCount, sizeof readVertexCount) != 0 || readVertexCount < 0 ||
        !ReadRecords(reader, readVertexCount, readPositions))
        return engine_code::meshReadFailed;

    std::int32_t readFaceCount = 0;
    std::vector<MeshFace> readFaces;
    if (reader.Read(&readFaceCount, sizeof readFaceCount) != 0 || readFaceCount < 0 ||
        !ReadRecords(reader, readFaceCount, readFaces))
        return engine_code::meshReadFailed;
    reader.Close();

    // The renderers index the vertex arrays with these without checking.
    const auto inRange = [readVertexCount](std::int32_t index) {
        return index >= 0 && index < readVertexCount;
    };
    for (const MeshFace& face : readFaces) {
        if (!inRange(face.i0) || !inRange(face.i1) || !inRange(face.i2))
            return engine_code::meshReadFailed;
    }

    for (D3DVECTOR& p : readPositions) {
        p.x *= scale;
        p.y *= scale;
        p.z *= scale;
    }
    vertexCount = readVertexCount;
    faceCount = readFaceCount;
    positions = CopyOf(readPositions);
    restPositions = CopyOf(readPositions);
    faces = CopyOf(readFaces);
    return engine_code::ok;
}

void Mesh::MakeQuad(float width, float height) {
    Release();
    vertexCount = 4;
    faceCount = 2;
    const float w = width * 0.5f;
    const float h = height * 0.5f;
    positions = new D3DVECTOR[4]{{w, -h, 0.0f}, {w, h, 0.0f}, {-w, -h, 0.0f}, {-w, h, 0.0f}};
    texCoords = new MeshTexCoord[4]{{1.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {0.0f, 0.0f}};
    hasTexCoords = true;
    faces = new MeshFace[2]{{2, 3, 1}, {2, 1, 0}};
}
