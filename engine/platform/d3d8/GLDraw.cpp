// The draw: validation, then the vertex range and the indices streamed into the device's GL
// buffers and drawn through the program of the current states.

#include "platform/d3d8/GLDevice.h"

#include <algorithm>
#include <cstdint>

namespace {

struct VertexLayout {
    UINT normal = 0; // byte offsets in the vertex; 0 where the format lacks the element
    UINT diffuse = 0;
    UINT specular = 0;
    UINT texCoord = 0;
    UINT size = 0; // bytes the format needs
};

VertexLayout LayoutOf(DWORD fvf) {
    VertexLayout layout;
    UINT offset = 12; // after the position
    if (fvf & D3DFVF_NORMAL) {
        layout.normal = offset;
        offset += 12;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        layout.diffuse = offset;
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        layout.specular = offset;
        offset += 4;
    }
    if (((fvf >> 8) & 0xF) != 0) {
        layout.texCoord = offset;
        offset += 8;
    }
    layout.size = offset;
    return layout;
}

const void* Offset(UINT bytes) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(bytes));
}

// An element the vertex lacks reads a constant: no normal, white diffuse, black specular with
// alpha 0, texture coordinates 0.
void Attribute(GLuint location, GLint count, GLenum type, GLsizei stride, UINT offset,
               const float (&missing)[4]) {
    if (offset == 0) {
        glDisableVertexAttribArray(location);
        glVertexAttrib4fv(location, missing);
        return;
    }
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, count, type, type == GL_UNSIGNED_BYTE ? GL_TRUE : GL_FALSE,
                          stride, Offset(offset));
}

} // namespace

void GLDevice::ApplyVertexLayout() {
    const VertexLayout layout = LayoutOf(fvf_);
    const auto stride = static_cast<GLsizei>(streamStride_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glEnableVertexAttribArray(kAttributePosition);
    glVertexAttribPointer(kAttributePosition, 3, GL_FLOAT, GL_FALSE, stride, Offset(0));
    Attribute(kAttributeNormal, 3, GL_FLOAT, stride, layout.normal, {0, 0, 0, 0});
    Attribute(kAttributeDiffuse, 4, GL_UNSIGNED_BYTE, stride, layout.diffuse, {1, 1, 1, 1});
    Attribute(kAttributeSpecular, 4, GL_UNSIGNED_BYTE, stride, layout.specular, {0, 0, 0, 0});
    Attribute(kAttributeTexCoord, 2, GL_FLOAT, stride, layout.texCoord, {0, 0, 0, 1});
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
    // Every index must name a vertex of the stated range: only that range reaches GL.
    const std::uint16_t* indices = indices_->Indices() + startIndex;
    const std::uint16_t* indicesEnd = indices + indexCount;
    const auto [lowest, highest] = std::minmax_element(indices, indicesEnd);
    if (*lowest < minIndex || *highest >= static_cast<std::uint64_t>(minIndex) + vertexCount) {
        return D3DERR_INVALIDCALL;
    }
    if (LayoutOf(fvf_).size > streamStride_) {
        return D3DERR_INVALIDCALL;
    }
    if (!PixelWork()) {
        return D3D_OK;
    }
    if (!ApplyStates()) {
        return D3DERR_DRIVERINTERNALERROR; // the program did not build; logged once
    }

    // The GL buffer's vertex 0 is the stream's base vertex; only the drawn range is written.
    const std::size_t stride = streamStride_;
    const BYTE* base = stream_->Data() + static_cast<std::size_t>(baseVertexIndex_) * stride;
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>((minIndex + vertexCount) * stride),
                 nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(minIndex * stride),
                    static_cast<GLsizeiptr>(vertexCount * stride), base + minIndex * stride);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * 2), indices,
                 GL_STREAM_DRAW);
    glDrawRangeElements(GL_TRIANGLES, minIndex, minIndex + vertexCount - 1,
                        static_cast<GLsizei>(indexCount), GL_UNSIGNED_SHORT, nullptr);
    return D3D_OK;
}
