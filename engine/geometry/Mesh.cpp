#include "geometry/Mesh.h"

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
