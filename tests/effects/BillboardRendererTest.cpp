#include "effects/BillboardRenderer.h"

#include "effects/RendererTestSupport.h"
#include "effects/VectorMath.h"
#include "platform/Camera.h"
#include "platform/Texture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <functional>

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

struct Cloud {
    explicit Cloud(std::vector<D3DVECTOR> particles = {{0, 0, 0}}) {
        EXPECT_EQ(fake.Create(), 0);
        FillMesh(mesh, particles, {});
        renderer.SetMesh(&mesh);
        renderer.SetCamera(&camera);
    }
    RecordingDevice& device() { return fake.Device(); }

    FakeApplication fake;
    Mesh mesh;
    Camera camera;
    BillboardRenderer renderer{fake.application};
};

RecordedDraw RenderOnce(Cloud& c) {
    c.device().ClearCalls();
    const std::size_t before = c.device().Draws().size();
    EXPECT_EQ(c.renderer.Render(), 0);
    EXPECT_EQ(c.device().Draws().size(), before + 1);
    EXPECT_THAT(c.device().Misuse(), IsEmpty());
    return c.device().Draws().back();
}

void ExpectVector(const D3DVECTOR& actual, float x, float y, float z) {
    EXPECT_NEAR(actual.x, x, 1e-6f);
    EXPECT_NEAR(actual.y, y, 1e-6f);
    EXPECT_NEAR(actual.z, z, 1e-6f);
}

TEST(BillboardRenderer, EachValidationFailureReturnsItsCodeInOrderAndTouchesNothing) {
    struct Case {
        const char* name;
        std::function<void(Cloud&)> breakIt; // also breaks every later check: order is tested
        EngineResult expected;
    };
    const Case cases[] = {
        {"device lost",
         [](Cloud& c) {
             LoseDevice(c.fake);
             c.renderer.SetMesh(nullptr);
         },
         -28},
        {"no mesh",
         [](Cloud& c) {
             c.renderer.SetMesh(nullptr);
             c.renderer.SetCamera(nullptr);
         },
         -30},
        {"no particles",
         [](Cloud& c) {
             FillMesh(c.mesh, {}, {});
             c.renderer.SetCamera(nullptr);
         },
         -31},
        {"negative count", [](Cloud& c) { c.mesh.vertexCount = -1; }, -31},
        {"16385 particles",
         [](Cloud& c) {
             FillCountedMesh(c.mesh, 16385, 0);
             c.renderer.SetCamera(nullptr);
         },
         -32},
        {"no camera", [](Cloud& c) { c.renderer.SetCamera(nullptr); }, -33},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Cloud c;
        test.breakIt(c);
        c.device().ClearCalls();
        EXPECT_EQ(c.renderer.Render(), test.expected);
        EXPECT_THAT(c.device().Calls(), IsEmpty());
    }
}

TEST(BillboardRenderer, LockFailuresDrawNothingAndChangeNoState) {
    {
        Cloud c;
        c.fake.VertexBuffer().lockResult = D3DERR_INVALIDCALL;
        c.device().ClearCalls();
        EXPECT_EQ(c.renderer.Render(), -35);
        EXPECT_THAT(c.device().NamesOfCalls(), ElementsAreArray({"VertexBuffer::Lock"}));
    }
    {
        Cloud c({{1, 2, 3}});
        c.fake.IndexBuffer().lockResult = D3DERR_INVALIDCALL;
        c.device().ClearCalls();
        EXPECT_EQ(c.renderer.Render(), -36);
        EXPECT_THAT(
            c.device().NamesOfCalls(),
            ElementsAreArray({"VertexBuffer::Lock", "VertexBuffer::Unlock", "IndexBuffer::Lock"}));
        ExpectVector(VerticesOf(c.fake.VertexBuffer().bytes, 4)[0].position, 1.15f, 2.15f, 3.0f);
    }
}

TEST(BillboardRenderer, SpikesWithSaturatedBlendAndTextureSetAndRestoreInOrder) {
    Cloud c;
    Texture texture(c.fake.application);
    IDirect3DTexture8* deviceTexture = LoadTestTexture(c.fake, texture);
    c.renderer.SetTexture(&texture);
    c.renderer.EnableSpikes();
    c.renderer.EnableSaturatedBlend();
    RecordingVertexBuffer* vb = &c.fake.VertexBuffer();
    RecordingIndexBuffer* ib = &c.fake.IndexBuffer();

    RenderOnce(c);

    const std::vector<RecordedCall> expected = {
        CallOn(vb, "VertexBuffer::Lock", 0, 0, 0),
        CallOn(vb, "VertexBuffer::Unlock"),
        CallOn(ib, "IndexBuffer::Lock", 0, 0, 0),
        CallOn(ib, "IndexBuffer::Unlock"),
        Call("Clear", 0, D3DCLEAR_ZBUFFER, 0, 1.0, 0),
        Call("SetTransform", D3DTS_WORLD),
        Call("SetTransform", D3DTS_VIEW),
        Call("SetTransform", D3DTS_PROJECTION),
        CallOn(deviceTexture, "SetTexture", 0),
        Call("SetTextureStageState", 0, D3DTSS_COLORARG2, D3DTA_DIFFUSE),
        Call("SetTextureStageState", 0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR),
        Call("SetTextureStageState", 0, D3DTSS_MINFILTER, D3DTEXF_LINEAR),
        Call("SetRenderState", D3DRS_ALPHABLENDENABLE, TRUE),
        Call("SetRenderState", D3DRS_SRCBLEND, D3DBLEND_SRCALPHASAT),
        Call("SetRenderState", D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR),
        Call("SetRenderState", D3DRS_ZWRITEENABLE, FALSE),
        Call("SetRenderState", D3DRS_LIGHTING, FALSE),
        Call("SetRenderState", D3DRS_CULLMODE, D3DCULL_NONE),
        CallOn(vb, "SetStreamSource", 0, 36),
        Call("SetVertexShader", 0x152),
        CallOn(ib, "SetIndices", 0),
        Call("BeginScene"),
        Call("DrawIndexedPrimitive", D3DPT_TRIANGLELIST, 0, 4, 0, 2),
        Call("EndScene"),
        Call("SetRenderState", D3DRS_CULLMODE, D3DCULL_CCW),
        Call("SetRenderState", D3DRS_LIGHTING, TRUE),
        Call("SetRenderState", D3DRS_ALPHABLENDENABLE, FALSE),
        Call("SetRenderState", D3DRS_SRCBLEND, D3DBLEND_ONE),
        Call("SetRenderState", D3DRS_DESTBLEND, D3DBLEND_ZERO),
        Call("SetRenderState", D3DRS_ZWRITEENABLE, TRUE),
        CallOn(nullptr, "SetTexture", 0),
        Call("SetTextureStageState", 0, D3DTSS_COLORARG2, D3DTA_CURRENT),
        Call("SetTextureStageState", 0, D3DTSS_MAGFILTER, D3DTEXF_POINT),
        Call("SetTextureStageState", 0, D3DTSS_MINFILTER, D3DTEXF_POINT),
    };
    EXPECT_THAT(c.device().Calls(), ElementsAreArray(expected));
    EXPECT_THAT(c.device().StatesDifferingFromDefaults(), IsEmpty());
    EXPECT_EQ(c.device().BoundTexture(0), nullptr);
}

TEST(BillboardRenderer, WithoutTextureTheBoundTextureIsLeftAlone) {
    Cloud c;
    Texture texture(c.fake.application);
    IDirect3DTexture8* bound = LoadTestTexture(c.fake, texture);
    c.device().SetTexture(0, bound);
    c.renderer.DisableDepthClear();

    const RecordedDraw draw = RenderOnce(c);

    EXPECT_EQ(draw.texture, bound);
    EXPECT_EQ(c.device().BoundTexture(0), bound);
    EXPECT_EQ(c.device().CountOf("SetTexture"), 0);
    EXPECT_EQ(c.device().CountOf("SetTextureStageState"), 0);
    EXPECT_EQ(c.device().CountOf("Clear"), 0);
    EXPECT_EQ(draw.RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(draw.RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
    EXPECT_EQ(draw.RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(draw.RenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(FALSE));
    c.device().SetTexture(0, nullptr);
    EXPECT_THAT(c.device().StatesDifferingFromDefaults(), IsEmpty());
}

TEST(BillboardRenderer, CornersFaceTheDefaultCamera) {
    Cloud c({{0, 0, 0}, {1, 2, 3}});
    c.renderer.SetColor(0x11223344);
    const RecordedDraw draw = RenderOnce(c);
    const auto v = VerticesOf(draw.vertexData, 8);
    ExpectVector(v[0].position, 0.15f, 0.15f, 0.0f);
    ExpectVector(v[1].position, 0.15f, -0.15f, 0.0f);
    ExpectVector(v[2].position, -0.15f, 0.15f, 0.0f);
    ExpectVector(v[3].position, -0.15f, -0.15f, 0.0f);
    ExpectVector(v[7].position, 0.85f, 1.85f, 3.0f);
    const float uv[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        ExpectVector(v[i].normal, 0.0f, 0.0f, -1.0f);
        EXPECT_EQ(v[i].diffuse, 0x11223344u);
        EXPECT_EQ(v[i].u, uv[i % 4][0]);
        EXPECT_EQ(v[i].v, uv[i % 4][1]);
    }
    EXPECT_THAT(draw.indexData, ElementsAreArray({0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));
}

TEST(BillboardRenderer, SpikesPinTheLeftTopCornerToTheZeroPlane) {
    Cloud c({{0, 0, 5}});
    c.renderer.EnableSpikes();
    const auto v = VerticesOf(RenderOnce(c).vertexData, 4);
    ExpectVector(v[0].position, 0.15f, 0.15f, 5.0f);
    ExpectVector(v[1].position, 0.15f, -0.15f, 5.0f);
    ExpectVector(v[2].position, -0.15f, 0.15f, 0.0f);
    ExpectVector(v[3].position, -0.15f, -0.15f, 5.0f);
}

TEST(BillboardRenderer, CornersFollowTheCameraAndTheCloudRotates) {
    // Looking along +x from the left: the camera's right axis is world -z.
    Cloud c({{1, 0, 0}});
    c.camera.SetPosition(-10.0f, 0.0f, 0.0f);
    c.renderer.SetSize(0.5f);
    c.renderer.SetRotationZ(1.5707964f); // (1, 0, 0) turns to (0, 1, 0)
    const auto v = VerticesOf(RenderOnce(c).vertexData, 4);
    ExpectVector(v[0].position, 0.0f, 1.5f, -0.5f);
    ExpectVector(v[3].position, 0.0f, 0.5f, 0.5f);
    ExpectVector(v[0].normal, -1.0f, 0.0f, 0.0f);
}

TEST(BillboardRenderer, CameraAtItsTargetKeepsSquaresOnTheWorldAxes) {
    Cloud c({{1, 2, 3}});
    c.camera.SetPosition(0.0f, 0.0f, 0.0f);
    const auto v = VerticesOf(RenderOnce(c).vertexData, 4);
    ExpectVector(v[0].position, 1.15f, 2.15f, 3.0f);
    ExpectVector(v[3].position, 0.85f, 1.85f, 3.0f);
    ExpectVector(v[0].normal, 0.0f, 0.0f, -1.0f);
}

TEST(BillboardRenderer, TransformsAreIdentityLookAtAndPerspectiveWithFarHundred) {
    Cloud c;
    c.renderer.SetRotationX(1.0f); // applied to the particles, not the world transform
    c.camera.SetPosition(3.0f, 1.0f, -2.0f);
    const RecordedDraw draw = RenderOnce(c);
    D3DMATRIX identity, view, projection;
    MatrixIdentity(identity);
    MatrixLookAtLH(view, {3.0f, 1.0f, -2.0f}, {0, 0, 0}, {0, 1, 0});
    MatrixPerspectiveFovLH(projection, c.camera.fieldOfView, std::bit_cast<float>(0x3FAAAAA8u),
                           1.0f, 100.0f);
    for (int r = 0; r < 4; ++r) {
        for (int col = 0; col < 4; ++col) {
            EXPECT_EQ(draw.transforms.at(D3DTS_WORLD).m[r][col], identity.m[r][col]);
            EXPECT_EQ(draw.transforms.at(D3DTS_VIEW).m[r][col], view.m[r][col]);
            EXPECT_EQ(draw.transforms.at(D3DTS_PROJECTION).m[r][col], projection.m[r][col]);
        }
    }
    EXPECT_FLOAT_EQ(projection.m[2][2], 100.0f / 99.0f);
}

TEST(BillboardRenderer, SixteenThousandThreeHundredEightyFourParticlesAreDrawn) {
    Cloud c;
    FillCountedMesh(c.mesh, 16384, 0);
    const RecordedDraw draw = RenderOnce(c);
    EXPECT_EQ(draw.vertexCount, 65536u);
    EXPECT_EQ(draw.primitiveCount, 32768u);
    EXPECT_EQ(draw.indexData.back(), 65535);
}

} // namespace
