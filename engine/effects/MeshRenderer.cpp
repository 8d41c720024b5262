#include "effects/MeshRenderer.h"

#include "effects/RenderVertex.h"
#include "effects/VectorMath.h"
#include "geometry/Mesh.h"
#include "platform/Application.h"
#include "platform/Camera.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/Texture.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr float meshFar = 50.0f;
// Texture repeats per unit of the planar projection along z for meshes without coordinates.
constexpr float planarTexScale = 0.75f;
} // namespace

MeshRenderer::MeshRenderer(Application& owner) : application(owner) {}

void MeshRenderer::SetLight(int slot, const Light* light) {
    if (slot >= 1 && slot <= lightSlots) {
        lights[slot - 1] = light;
    }
}

EngineResult MeshRenderer::Validate() const {
    if (!application.IsDeviceUsable()) {
        return engine_code::deviceNotUsable;
    }
    if (mesh == nullptr) {
        return engine_code::rendererNoMesh;
    }
    // Negative counts (a mesh filled by hand) are treated as empty.
    if (mesh->vertexCount <= 0) {
        return engine_code::rendererNoVertices;
    }
    if (mesh->vertexCount > maxVertices) {
        return engine_code::meshTooManyVertices;
    }
    if (mesh->faceCount <= 0) {
        return engine_code::meshNoFaces;
    }
    if (mesh->faceCount > maxFaces) {
        return engine_code::meshTooManyFaces;
    }
    if (camera == nullptr) {
        return engine_code::rendererNoCamera;
    }
    if (lighting && material == nullptr) {
        return engine_code::meshNoMaterial;
    }
    return engine_code::ok;
}

bool MeshRenderer::ComputeNormals() {
    const auto count = static_cast<std::size_t>(mesh->vertexCount);
    if (normals.size() < count) {
        normals.resize(count);
    }
    std::fill_n(normals.begin(), count, D3DVECTOR{0.0f, 0.0f, 0.0f});

    const D3DVECTOR* p = mesh->positions;
    const auto limit = static_cast<std::uint32_t>(mesh->vertexCount);
    for (std::int32_t f = 0; f < mesh->faceCount; ++f) {
        const MeshFace& face = mesh->faces[f];
        if (static_cast<std::uint32_t>(face.i0) >= limit ||
            static_cast<std::uint32_t>(face.i1) >= limit ||
            static_cast<std::uint32_t>(face.i2) >= limit) {
            return false;
        }
        const D3DVECTOR& p0 = p[face.i0];
        const D3DVECTOR& p1 = p[face.i1];
        const D3DVECTOR& p2 = p[face.i2];
        const D3DVECTOR a{p0.x - p1.x, p0.y - p1.y, p0.z - p1.z};
        const D3DVECTOR b{p1.x - p2.x, p1.y - p2.y, p1.z - p2.z};
        D3DVECTOR n;
        Vec3Normalize(n, Vec3Cross(n, a, b));
        for (std::int32_t index : {face.i0, face.i1, face.i2}) {
            D3DVECTOR& sum = normals[static_cast<std::size_t>(index)];
            sum.x += n.x;
            sum.y += n.y;
            sum.z += n.z;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        Vec3Normalize(normals[i], normals[i]);
    }
    return true;
}

EngineResult MeshRenderer::Render() {
    if (const EngineResult result = Validate(); result != engine_code::ok) {
        return result;
    }
    if (!ComputeNormals()) {
        return engine_code::meshNoFaces;
    }

    IDirect3DDevice8& device = *application.GetDevice();
    IDirect3DVertexBuffer8* vertexBuffer = application.GetVertexBuffer();
    IDirect3DIndexBuffer8* indexBuffer = application.GetIndexBuffer();

    BYTE* vertexData = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &vertexData, 0))) {
        return engine_code::rendererVertexLockFailed;
    }
    auto* vertex = reinterpret_cast<RenderVertex*>(vertexData);
    const std::int32_t vertexCount = mesh->vertexCount;
    for (std::int32_t i = 0; i < vertexCount; ++i) {
        RenderVertex& out = vertex[i];
        const D3DVECTOR& position = mesh->positions[i];
        out.position = position;
        out.normal = normals[static_cast<std::size_t>(i)];
        out.diffuse = color;
        if (mesh->hasTexCoords) {
            out.u = mesh->texCoords[i].u;
            out.v = mesh->texCoords[i].v;
        } else {
            out.u = planarTexScale * position.x;
            out.v = planarTexScale * position.y;
        }
    }
    vertexBuffer->Unlock();

    BYTE* indexData = nullptr;
    if (FAILED(indexBuffer->Lock(0, 0, &indexData, 0))) {
        return engine_code::rendererIndexLockFailed;
    }
    auto* index = reinterpret_cast<WORD*>(indexData);
    for (std::int32_t f = 0; f < mesh->faceCount; ++f) {
        const MeshFace& face = mesh->faces[f];
        *index++ = static_cast<WORD>(face.i0);
        *index++ = static_cast<WORD>(face.i1);
        *index++ = static_cast<WORD>(face.i2);
    }
    indexBuffer->Unlock();

    if (clearDepth) {
        application.ClearDepth(1.0f);
    }

    D3DMATRIX world;
    D3DMATRIX rotation;
    MatrixRotationX(world, rotationX);
    MatrixMultiply(world, world, MatrixRotationY(rotation, rotationY));
    MatrixMultiply(world, world, MatrixRotationZ(rotation, rotationZ));
    D3DMATRIX view;
    MatrixLookAtLH(view, camera->position, camera->target, D3DVECTOR{0.0f, 1.0f, 0.0f});
    D3DMATRIX projection;
    MatrixPerspectiveFovLH(projection, camera->fieldOfView, renderAspect, renderNear, meshFar);
    device.SetTransform(D3DTS_WORLD, &world);
    device.SetTransform(D3DTS_VIEW, &view);
    device.SetTransform(D3DTS_PROJECTION, &projection);

    SetStates(device);
    DrawSharedTriangles(device, vertexBuffer, indexBuffer, static_cast<UINT>(vertexCount),
                        static_cast<UINT>(mesh->faceCount));
    RestoreStates(device);
    return engine_code::ok;
}

void MeshRenderer::SetStates(IDirect3DDevice8& device) const {
    device.SetTexture(0, texture != nullptr ? texture->deviceTexture : nullptr);
    device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);

    if (additive) {
        // The source factor stays at its default, ONE.
        device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device.SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    }
    if (!cullBackFaces) {
        device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
    if (lighting) {
        if (specular) {
            device.SetRenderState(D3DRS_SPECULARENABLE, TRUE);
        }
        device.SetRenderState(D3DRS_AMBIENT, ambient);
        device.SetMaterial(material);
        for (DWORD k = 0; k < lightSlots; ++k) {
            if (lights[k] != nullptr) {
                device.SetLight(k, lights[k]);
                device.LightEnable(k, TRUE);
            }
        }
    } else {
        device.SetRenderState(D3DRS_LIGHTING, FALSE);
    }
}

void MeshRenderer::RestoreStates(IDirect3DDevice8& device) const {
    if (lighting) {
        if (specular) {
            device.SetRenderState(D3DRS_SPECULARENABLE, FALSE);
        }
        device.SetRenderState(D3DRS_AMBIENT, 0);
        for (DWORD k = 0; k < lightSlots; ++k) {
            if (lights[k] != nullptr) {
                device.LightEnable(k, FALSE);
            }
        }
    } else {
        device.SetRenderState(D3DRS_LIGHTING, TRUE);
    }
    if (!cullBackFaces) {
        device.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    }
    if (additive) {
        device.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
        device.SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    }
    device.SetTexture(0, nullptr);
    device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
}
