// The draw: validation, client arrays straight from the CPU buffers, per-vertex fog.

#include "platform/d3d8/GLDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void GLDevice::ComputeFogCoordinates(const BYTE* vertices, UINT stride, UINT first, UINT count) {
    // Camera-space position of each vertex: v x world x view (row vectors).
    D3DMATRIX m{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += world_.m[r][k] * view_.m[k][c];
            }
            m.m[r][c] = sum;
        }
    }
    const float start = RenderStateFloat(D3DRS_FOGSTART);
    const float end = RenderStateFloat(D3DRS_FOGEND);
    const bool range = RenderState(D3DRS_RANGEFOGENABLE) != FALSE;
    const float scale = end != start ? 1.0f / (end - start) : 0.0f;
    for (UINT i = first; i < first + count; ++i) {
        float p[3];
        std::memcpy(p, vertices + static_cast<std::size_t>(i) * stride, sizeof p);
        const float x = p[0] * m.m[0][0] + p[1] * m.m[1][0] + p[2] * m.m[2][0] + m.m[3][0];
        const float y = p[0] * m.m[0][1] + p[1] * m.m[1][1] + p[2] * m.m[2][1] + m.m[3][1];
        const float z = p[0] * m.m[0][2] + p[1] * m.m[1][2] + p[2] * m.m[2][2] + m.m[3][2];
        const float distance = range ? std::sqrt(x * x + y * y + z * z) : std::fabs(z);
        // Start equal to end leaves everything unfogged (f = 1).
        const float f = end != start ? std::clamp((end - distance) * scale, 0.0f, 1.0f) : 1.0f;
        fogCoordinates_[baseVertexIndex_ + i] = 1.0f - f;
    }
}

HRESULT GLDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                       UINT startIndex, UINT primitiveCount) {
    if (type != D3DPT_TRIANGLELIST || !inScene_ || stream_ == nullptr || indices_ == nullptr ||
        streamStride_ == 0 || primitiveCount == 0 || vertexCount == 0) {
        return D3DERR_INVALIDCALL;
    }
    const std::uint64_t indexCount = static_cast<std::uint64_t>(primitiveCount) * 3;
    const std::uint64_t vertexCapacity = stream_->Length() / streamStride_;
    if (startIndex + indexCount > indices_->Count() ||
        static_cast<std::uint64_t>(baseVertexIndex_) + minIndex + vertexCount > vertexCapacity) {
        return D3DERR_INVALIDCALL;
    }
    // Every index must name a vertex of the stated range: GL reads the vertices from memory.
    const std::uint16_t* indices = indices_->Indices() + startIndex;
    const std::uint16_t* indicesEnd = indices + indexCount;
    const auto [lowest, highest] = std::minmax_element(indices, indicesEnd);
    if (*lowest < minIndex || *highest >= static_cast<std::uint64_t>(minIndex) + vertexCount) {
        return D3DERR_INVALIDCALL;
    }
    UINT offset = 12; // after the position
    const UINT normalOffset = offset;
    offset += (fvf_ & D3DFVF_NORMAL) ? 12 : 0;
    const UINT diffuseOffset = offset;
    offset += (fvf_ & D3DFVF_DIFFUSE) ? 4 : 0;
    offset += (fvf_ & 0x080) ? 4 : 0; // specular colour, not used
    const UINT texOffset = offset;
    const bool textured = ((fvf_ >> 8) & 0xF) != 0;
    if (texOffset + (textured ? 8 : 0) > streamStride_) {
        return D3DERR_INVALIDCALL;
    }
    if (!PixelWork()) {
        return D3D_OK;
    }

    ApplyStates();
    const BYTE* vertices =
        stream_->Data() + static_cast<std::size_t>(baseVertexIndex_) * streamStride_;
    const auto stride = static_cast<GLsizei>(streamStride_);
    glVertexPointer(3, GL_FLOAT, stride, vertices);
    if (fvf_ & D3DFVF_NORMAL) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, vertices + normalOffset);
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
        glNormal3f(0, 0, 0);
    }
    if (fvf_ & D3DFVF_DIFFUSE) {
        // 0xAARRGGBB little-endian is B, G, R, A in memory.
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, vertices + diffuseOffset);
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(1, 1, 1, 1);
    }
    if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, vertices + texOffset);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoord2f(0, 0);
    }
    if (VertexFogActive()) {
        const std::size_t needed = static_cast<std::size_t>(vertexCapacity);
        if (fogCoordinates_.size() < needed) {
            fogCoordinates_.resize(needed); // grows only for a larger vertex buffer
        }
        float* fog = fogCoordinates_.data() + baseVertexIndex_;
        ComputeFogCoordinates(vertices, streamStride_, minIndex, vertexCount);
        glEnableClientState(GL_FOG_COORD_ARRAY);
        glFogCoordPointer(GL_FLOAT, 0, fog);
    } else {
        glDisableClientState(GL_FOG_COORD_ARRAY);
    }
    glDrawRangeElements(GL_TRIANGLES, minIndex, minIndex + vertexCount - 1,
                        static_cast<GLsizei>(indexCount), GL_UNSIGNED_SHORT, indices);
    return D3D_OK;
}
