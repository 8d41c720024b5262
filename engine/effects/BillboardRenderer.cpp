#include "effects/BillboardRenderer.h"

#include "effects/RenderVertex.h"
#include "effects/VectorMath.h"
#include "geometry/Mesh.h"
#include "platform/Application.h"
#include "platform/Camera.h"
#include "platform/Texture.h"

#include <cstdint>

namespace {
constexpr float billboardFar = 100.0f;
} // namespace

BillboardRenderer::BillboardRenderer(Application& owner) : application(owner) {}

EngineResult BillboardRenderer::Validate() const {
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
    if (mesh->vertexCount > maxParticles) {
        return engine_code::billboardTooManyParticles;
    }
    if (camera == nullptr) {
        return engine_code::rendererNoCamera;
    }
    return engine_code::ok;
}

EngineResult BillboardRenderer::Render() {
    if (const EngineResult result = Validate(); result != engine_code::ok) {
        return result;
    }
    IDirect3DDevice8& device = *application.GetDevice();
    IDirect3DVertexBuffer8* vertexBuffer = application.GetVertexBuffer();
    IDirect3DIndexBuffer8* indexBuffer = application.GetIndexBuffer();

    BYTE* vertexData = nullptr;
    if (FAILED(vertexBuffer->Lock(0, 0, &vertexData, 0))) {
        return engine_code::rendererVertexLockFailed;
    }

    D3DMATRIX rotation;
    D3DMATRIX step;
    MatrixRotationX(rotation, rotationX);
    MatrixMultiply(rotation, rotation, MatrixRotationY(step, rotationY));
    MatrixMultiply(rotation, rotation, MatrixRotationZ(step, rotationZ));
    D3DMATRIX view;
    MatrixLookAtLH(view, camera->position, camera->target, D3DVECTOR{0.0f, 1.0f, 0.0f});
    // A camera at its own target has no view direction: the squares then keep to the world axes.
    D3DMATRIX cameraToWorld;
    if (MatrixInverse(cameraToWorld, view) == nullptr) {
        MatrixIdentity(cameraToWorld);
    }

    // The camera's right and up axes scaled by the size, and its backward axis, in world space.
    const float s = size;
    D3DVECTOR rightTop, rightBottom, leftTop, leftBottom, normal;
    Vec3TransformNormal(rightTop, D3DVECTOR{s, s, 0.0f}, cameraToWorld);
    Vec3TransformNormal(rightBottom, D3DVECTOR{s, -s, 0.0f}, cameraToWorld);
    Vec3TransformNormal(leftTop, D3DVECTOR{-s, s, 0.0f}, cameraToWorld);
    Vec3TransformNormal(leftBottom, D3DVECTOR{-s, -s, 0.0f}, cameraToWorld);
    Vec3TransformNormal(normal, D3DVECTOR{0.0f, 0.0f, -1.0f}, cameraToWorld);

    auto* vertex = reinterpret_cast<RenderVertex*>(vertexData);
    const std::int32_t count = mesh->vertexCount;
    for (std::int32_t i = 0; i < count; ++i) {
        D3DVECTOR p;
        Vec3TransformCoord(p, mesh->positions[i], rotation);
        vertex[0] = {
            {p.x + rightTop.x, p.y + rightTop.y, p.z + rightTop.z}, normal, color, 0.0f, 0.0f};
        vertex[1] = {{p.x + rightBottom.x, p.y + rightBottom.y, p.z + rightBottom.z},
                     normal,
                     color,
                     0.0f,
                     1.0f};
        vertex[2] = {{p.x + leftTop.x, p.y + leftTop.y, spikes ? 0.0f : p.z + leftTop.z},
                     normal,
                     color,
                     1.0f,
                     0.0f};
        vertex[3] = {{p.x + leftBottom.x, p.y + leftBottom.y, p.z + leftBottom.z},
                     normal,
                     color,
                     1.0f,
                     1.0f};
        vertex += 4;
    }
    vertexBuffer->Unlock();

    BYTE* indexData = nullptr;
    if (FAILED(indexBuffer->Lock(0, 0, &indexData, 0))) {
        return engine_code::rendererIndexLockFailed;
    }
    // Triangles (RT, RB, LT) and (LT, RB, LB), clockwise as seen from the camera.
    auto* index = reinterpret_cast<WORD*>(indexData);
    for (std::int32_t i = 0; i < count; ++i) {
        const auto first = static_cast<WORD>(4 * i);
        index[0] = first;
        index[1] = static_cast<WORD>(first + 1);
        index[2] = static_cast<WORD>(first + 2);
        index[3] = static_cast<WORD>(first + 2);
        index[4] = static_cast<WORD>(first + 1);
        index[5] = static_cast<WORD>(first + 3);
        index += 6;
    }
    indexBuffer->Unlock();

    if (clearDepth) {
        application.ClearDepth(1.0f);
    }

    D3DMATRIX projection;
    MatrixPerspectiveFovLH(projection, camera->fieldOfView, renderAspect, renderNear, billboardFar);
    D3DMATRIX world;
    MatrixIdentity(world);
    device.SetTransform(D3DTS_WORLD, &world);
    device.SetTransform(D3DTS_VIEW, &view);
    device.SetTransform(D3DTS_PROJECTION, &projection);

    SetStates(device);
    DrawSharedTriangles(device, vertexBuffer, indexBuffer, static_cast<UINT>(4 * count),
                        static_cast<UINT>(2 * count));
    RestoreStates(device);
    return engine_code::ok;
}

void BillboardRenderer::SetStates(IDirect3DDevice8& device) const {
    if (texture != nullptr) {
        device.SetTexture(0, texture->deviceTexture);
        device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    }
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    if (saturatedBlend) {
        // source x min(source alpha, 1 - destination alpha) + destination x source colour
        device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHASAT);
        device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
    } else {
        // source x source alpha + destination; the alpha is the texture's.
        device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }
    device.SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device.SetRenderState(D3DRS_LIGHTING, FALSE);
    if (spikes) {
        device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
}

void BillboardRenderer::RestoreStates(IDirect3DDevice8& device) const {
    if (spikes) {
        device.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    }
    device.SetRenderState(D3DRS_LIGHTING, TRUE);
    device.SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device.SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    if (texture != nullptr) {
        device.SetTexture(0, nullptr);
        device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
        device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
        device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    }
}
