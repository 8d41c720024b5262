#pragma once
// What both renderers write into the application's shared dynamic buffers, and the draw they
// end with.

#include "platform/d3d8/D3D8.h"

#include <bit>

// Flexible vertex format D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1.
struct RenderVertex {
    D3DVECTOR position;
    D3DVECTOR normal;
    D3DCOLOR diffuse; // 0xAARRGGBB
    float u, v;
};
static_assert(sizeof(RenderVertex) == 36);

inline constexpr DWORD renderVertexFormat =
    D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(renderVertexFormat == 0x152);

// 640 / 480 as the system has always rounded it: 1.3333330, not exactly 4/3.
inline const float renderAspect = std::bit_cast<float>(0x3FAAAAA8u);
inline constexpr float renderNear = 1.0f;

// Binds the shared buffers and draws `primitiveCount` triangles over `vertexCount` vertices in
// one BeginScene/EndScene pair. The device's results are not acted upon.
inline void DrawSharedTriangles(IDirect3DDevice8& device, IDirect3DVertexBuffer8* vertexBuffer,
                                IDirect3DIndexBuffer8* indexBuffer, UINT vertexCount,
                                UINT primitiveCount) {
    device.SetStreamSource(0, vertexBuffer, sizeof(RenderVertex));
    device.SetVertexShader(renderVertexFormat);
    device.SetIndices(indexBuffer, 0);
    device.BeginScene();
    device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount, 0, primitiveCount);
    device.EndScene();
}
