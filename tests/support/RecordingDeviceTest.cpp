#include "support/RecordingDevice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

struct Buffers {
    IDirect3DVertexBuffer8* vertices = nullptr;
    IDirect3DIndexBuffer8* indices = nullptr;
};

// Three vertices of 36 bytes and one triangle, bound and ready to draw.
Buffers Triangle(RecordingDevice& device, std::uint16_t highestIndex = 2) {
    Buffers b;
    device.CreateVertexBuffer(3 * 36, D3DUSAGE_DYNAMIC, 0x152, D3DPOOL_DEFAULT, &b.vertices);
    device.CreateIndexBuffer(6, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &b.indices);
    BYTE* data = nullptr;
    b.vertices->Lock(0, 0, &data, 0);
    data[36] = 0xAB;
    b.vertices->Unlock();
    b.indices->Lock(0, 0, &data, 0);
    const std::uint16_t triangle[3] = {0, 1, highestIndex};
    std::memcpy(data, triangle, sizeof triangle);
    b.indices->Unlock();
    device.SetStreamSource(0, b.vertices, 36);
    device.SetIndices(b.indices, 0);
    device.SetVertexShader(0x152);
    return b;
}

TEST(RecordingDeviceTest, StartsAtTheDirect3DDefaultsAndTellsWhatDiffers) {
    RecordingDevice device;
    EXPECT_EQ(device.RenderState(D3DRS_LIGHTING), TRUE);
    EXPECT_EQ(device.RenderState(D3DRS_CULLMODE), D3DCULL_CCW);
    EXPECT_EQ(device.RenderState(D3DRS_SRCBLEND), D3DBLEND_ONE);
    EXPECT_EQ(device.RenderState(D3DRS_DESTBLEND), D3DBLEND_ZERO);
    EXPECT_EQ(device.RenderState(D3DRS_FOGENABLE), FALSE);
    EXPECT_EQ(device.TextureStageState(0, D3DTSS_COLOROP), D3DTOP_MODULATE);
    EXPECT_EQ(device.TextureStageState(1, D3DTSS_COLOROP), D3DTOP_DISABLE);
    EXPECT_EQ(device.TextureStageState(0, D3DTSS_MAGFILTER), D3DTEXF_POINT);
    EXPECT_THAT(device.StatesDifferingFromDefaults(), IsEmpty());

    device.SetRenderState(D3DRS_FOGENABLE, TRUE);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    EXPECT_THAT(device.StatesDifferingFromDefaults(),
                ElementsAre("render state 28 = 1 (default 0)", "stage 0 state 17 = 2 (default 1)"));
    device.SetRenderState(D3DRS_FOGENABLE, FALSE);
    device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    EXPECT_THAT(device.StatesDifferingFromDefaults(), IsEmpty());
    EXPECT_THAT(device.Calls(), ElementsAre(Call("SetRenderState", D3DRS_FOGENABLE, TRUE),
                                            Call("SetTextureStageState", 0, D3DTSS_MINFILTER, 2),
                                            Call("SetRenderState", D3DRS_FOGENABLE, FALSE),
                                            Call("SetTextureStageState", 0, D3DTSS_MINFILTER, 1)));
}

TEST(RecordingDeviceTest, ADrawKeepsTheStatesAndDataItWasMadeWith) {
    RecordingDevice device;
    Buffers b = Triangle(device);
    device.SetRenderState(D3DRS_LIGHTING, FALSE);
    device.BeginScene();
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3D_OK);
    device.EndScene();
    device.SetRenderState(D3DRS_LIGHTING, TRUE);

    EXPECT_THAT(device.Misuse(), IsEmpty());
    ASSERT_THAT(device.Draws(), SizeIs(1));
    const RecordedDraw& draw = device.Draws()[0];
    EXPECT_EQ(draw.RenderState(D3DRS_LIGHTING), FALSE);
    EXPECT_EQ(draw.streamSource, b.vertices);
    EXPECT_THAT(draw.indexData, ElementsAre(0, 1, 2));
    ASSERT_THAT(draw.vertexData, SizeIs(3 * 36));
    EXPECT_EQ(draw.vertexData[36], 0xAB);
    EXPECT_EQ(device.CallsNamed("SetStreamSource")[0],
              CallOn(b.vertices, "SetStreamSource", 0, 36));
}

TEST(RecordingDeviceTest, ReportsTheMistakesARealDeviceRefuses) {
    RecordingDevice device;
    Buffers b = Triangle(device, 3); // index 3 is outside the three declared vertices
    EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_THAT(
        device.Misuse(),
        ElementsAre("DrawIndexedPrimitive outside BeginScene/EndScene",
                    "DrawIndexedPrimitive: index 3 at 2 outside the declared vertices 0..3"));
    EXPECT_THAT(device.Draws(), IsEmpty());

    RecordingDevice other;
    Buffers c = Triangle(other);
    BYTE* data = nullptr;
    c.vertices->Lock(0, 0, &data, 0);
    EXPECT_EQ(c.vertices->Lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
    c.vertices->Unlock();
    EXPECT_EQ(c.vertices->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_EQ(c.vertices->Lock(100, 36, &data, 0), D3DERR_INVALIDCALL);
    other.BeginScene();
    other.BeginScene();
    EXPECT_EQ(other.Reset(nullptr), D3DERR_INVALIDCALL);
    other.EndScene();
    other.EndScene();
    c.vertices->Release();
    c.vertices->Release();
    EXPECT_EQ(other.SetStreamSource(0, c.vertices, 36), D3DERR_INVALIDCALL);
    EXPECT_EQ(other.SetIndices(b.indices, 0), D3DERR_INVALIDCALL); // another device's buffer
    EXPECT_THAT(other.Misuse(), SizeIs(9));
}

TEST(RecordingDeviceTest, ResetNeedsTheDefaultPoolBuffersGoneAndRestoresDefaults) {
    RecordingDevice device;
    Buffers b = Triangle(device);
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    D3DPRESENT_PARAMETERS parameters{};
    EXPECT_EQ(device.Reset(&parameters), D3DERR_INVALIDCALL);
    EXPECT_THAT(device.Misuse(), ElementsAre("Reset while a default-pool vertex buffer is alive"));

    b.vertices->Release();
    b.indices->Release();
    device.resetResult = E_OUTOFMEMORY;
    EXPECT_EQ(device.Reset(&parameters), E_OUTOFMEMORY);
    device.resetResult = D3D_OK;
    EXPECT_EQ(device.Reset(&parameters), D3D_OK);
    EXPECT_EQ(device.cooperativeLevel, D3D_OK);
    EXPECT_THAT(device.StatesDifferingFromDefaults(), IsEmpty());
    EXPECT_EQ(device.SetIndices(b.indices, 0), D3DERR_INVALIDCALL);
}

TEST(RecordingDeviceTest, TexturesAreLockableCpuMemoryOfOneLevel) {
    RecordingDevice device;
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device.CreateTexture(4, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT locked{};
    const RECT secondRow{0, 1, 4, 2};
    ASSERT_EQ(texture->LockRect(0, &locked, &secondRow, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 16);
    static_cast<std::uint32_t*>(locked.pBits)[3] = 0xFF112233u;
    texture->UnlockRect(0);
    auto* recorded = device.Textures().at(0);
    EXPECT_EQ(recorded->Texel(3, 1), 0xFF112233u);
    EXPECT_EQ(recorded->Texel(0, 0), 0u);

    device.createTextureResult = D3DERR_OUTOFVIDEOMEMORY;
    IDirect3DTexture8* none = reinterpret_cast<IDirect3DTexture8*>(&device);
    EXPECT_EQ(device.CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &none),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(none, nullptr);
    EXPECT_THAT(device.Misuse(), IsEmpty());
}

} // namespace
