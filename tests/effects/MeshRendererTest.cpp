#include "effects/MeshRenderer.h"

#include "effects/RendererTestSupport.h"
#include "effects/VectorMath.h"
#include "platform/Camera.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/Texture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

struct Scene {
    Scene() {
        EXPECT_EQ(fake.Create(), 0);
        mesh.MakeQuad(2.0f, 2.0f);
        renderer.SetMesh(&mesh);
        renderer.SetCamera(&camera);
    }
    RecordingDevice& device() { return fake.Device(); }

    FakeApplication fake;
    Mesh mesh;
    Camera camera;
    Material material;
    MeshRenderer renderer{fake.application};
};

// Renders and returns the one draw it made.
RecordedDraw RenderOnce(Scene& s) {
    s.device().ClearCalls();
    const std::size_t before = s.device().Draws().size();
    EXPECT_EQ(s.renderer.Render(), 0);
    EXPECT_EQ(s.device().Draws().size(), before + 1);
    EXPECT_THAT(s.device().Misuse(), IsEmpty());
    return s.device().Draws().back();
}

TEST(MeshRenderer, EachValidationFailureReturnsItsCodeInOrderAndTouchesNothing) {
    struct Case {
        const char* name;
        std::function<void(Scene&)> breakIt; // also breaks every later check: order is tested
        EngineResult expected;
    };
    const Case cases[] = {
        {"device lost",
         [](Scene& s) {
             LoseDevice(s.fake);
             s.renderer.SetMesh(nullptr);
         },
         -28},
        {"no mesh",
         [](Scene& s) {
             s.renderer.SetMesh(nullptr);
             s.renderer.SetCamera(nullptr);
         },
         -30},
        {"no vertices", [](Scene& s) { FillMesh(s.mesh, {}, {}); }, -31},
        {"negative vertex count", [](Scene& s) { s.mesh.vertexCount = -3; }, -31},
        {"65537 vertices", [](Scene& s) { FillCountedMesh(s.mesh, 65537, 0); }, -37},
        {"no faces",
         [](Scene& s) {
             FillCountedMesh(s.mesh, 300, 0);
             s.renderer.SetCamera(nullptr);
         },
         -38},
        {"65537 faces", [](Scene& s) { FillCountedMesh(s.mesh, 300, 65537); }, -39},
        {"no camera",
         [](Scene& s) {
             s.renderer.SetCamera(nullptr);
             s.renderer.EnableLighting();
         },
         -33},
        {"lighting without material",
         [](Scene& s) {
             s.renderer.EnableLighting();
             s.mesh.faces[0].i0 = 4;
         },
         -34},
        {"face index past the last vertex", [](Scene& s) { s.mesh.faces[1].i2 = 4; }, -38},
        {"negative face index", [](Scene& s) { s.mesh.faces[0].i1 = -1; }, -38},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene s;
        c.breakIt(s);
        s.device().ClearCalls();
        const std::vector<BYTE> vertexBytes = s.fake.VertexBuffer().bytes;
        EXPECT_EQ(s.renderer.Render(), c.expected);
        EXPECT_THAT(s.device().Calls(), IsEmpty());
        EXPECT_EQ(s.fake.VertexBuffer().bytes, vertexBytes);
    }
}

TEST(MeshRenderer, VertexLockFailureDrawsNothingAndChangesNoState) {
    Scene s;
    s.fake.VertexBuffer().lockResult = D3DERR_INVALIDCALL;
    s.device().ClearCalls();
    EXPECT_EQ(s.renderer.Render(), -35);
    EXPECT_THAT(s.device().NamesOfCalls(), ElementsAreArray({"VertexBuffer::Lock"}));
}

TEST(MeshRenderer, IndexLockFailureLeavesVerticesWrittenButDrawsNothing) {
    Scene s;
    s.fake.IndexBuffer().lockResult = D3DERR_INVALIDCALL;
    s.device().ClearCalls();
    EXPECT_EQ(s.renderer.Render(), -36);
    EXPECT_THAT(
        s.device().NamesOfCalls(),
        ElementsAreArray({"VertexBuffer::Lock", "VertexBuffer::Unlock", "IndexBuffer::Lock"}));
    const auto vertices = VerticesOf(s.fake.VertexBuffer().bytes, 4);
    EXPECT_EQ(vertices[3].position.x, -1.0f);
    EXPECT_EQ(vertices[3].position.y, 1.0f);
    EXPECT_THAT(s.device().StatesDifferingFromDefaults(), IsEmpty());
}

TEST(MeshRenderer, LitSpecularAdditiveTwoSidedTexturedSetsAndRestoresInOrder) {
    Scene s;
    Texture texture(s.fake.application);
    IDirect3DTexture8* deviceTexture = LoadTestTexture(s.fake, texture);
    Light light1;
    Light light3;
    light3.SetDirection(1.0f, 0.0f, 0.0f);
    s.material.SetPower(8.0f);
    s.renderer.SetTexture(&texture);
    s.renderer.SetMaterial(&s.material);
    s.renderer.SetLight(1, &light1);
    s.renderer.SetLight(3, &light3);
    s.renderer.SetLight(0, &light3); // slots outside 1..4 are ignored
    s.renderer.SetLight(5, &light3);
    s.renderer.SetAmbient(0xFF202020);
    s.renderer.EnableLighting();
    s.renderer.EnableSpecular();
    s.renderer.EnableAdditive();
    s.renderer.DisableCulling();
    RecordingVertexBuffer* vb = &s.fake.VertexBuffer();
    RecordingIndexBuffer* ib = &s.fake.IndexBuffer();

    RenderOnce(s);

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
        Call("SetRenderState", D3DRS_DESTBLEND, D3DBLEND_ONE),
        Call("SetRenderState", D3DRS_ZWRITEENABLE, FALSE),
        Call("SetRenderState", D3DRS_CULLMODE, D3DCULL_NONE),
        Call("SetRenderState", D3DRS_SPECULARENABLE, TRUE),
        Call("SetRenderState", D3DRS_AMBIENT, 0xFF202020u),
        Call("SetMaterial"),
        Call("SetLight", 0),
        Call("LightEnable", 0, TRUE),
        Call("SetLight", 2),
        Call("LightEnable", 2, TRUE),
        CallOn(vb, "SetStreamSource", 0, 36),
        Call("SetVertexShader", 0x152),
        CallOn(ib, "SetIndices", 0),
        Call("BeginScene"),
        Call("DrawIndexedPrimitive", D3DPT_TRIANGLELIST, 0, 4, 0, 2),
        Call("EndScene"),
        Call("SetRenderState", D3DRS_SPECULARENABLE, FALSE),
        Call("SetRenderState", D3DRS_AMBIENT, 0),
        Call("LightEnable", 0, FALSE),
        Call("LightEnable", 2, FALSE),
        Call("SetRenderState", D3DRS_CULLMODE, D3DCULL_CCW),
        Call("SetRenderState", D3DRS_ALPHABLENDENABLE, FALSE),
        Call("SetRenderState", D3DRS_DESTBLEND, D3DBLEND_ZERO),
        Call("SetRenderState", D3DRS_ZWRITEENABLE, TRUE),
        CallOn(nullptr, "SetTexture", 0),
        Call("SetTextureStageState", 0, D3DTSS_COLORARG2, D3DTA_CURRENT),
        Call("SetTextureStageState", 0, D3DTSS_MAGFILTER, D3DTEXF_POINT),
        Call("SetTextureStageState", 0, D3DTSS_MINFILTER, D3DTEXF_POINT),
    };
    EXPECT_THAT(s.device().Calls(), ElementsAreArray(expected));

    const RecordedCall material = s.device().CallsNamed("SetMaterial").at(0);
    EXPECT_EQ(material.material.Power, 8.0f);
    const RecordedCall light = s.device().CallsNamed("SetLight").at(1);
    EXPECT_EQ(light.light.Direction.x, 1.0f);
    EXPECT_THAT(s.device().StatesDifferingFromDefaults(), IsEmpty());
    EXPECT_EQ(s.device().BoundTexture(0), nullptr);
    EXPECT_FALSE(s.device().IsLightEnabled(0));
    EXPECT_FALSE(s.device().IsLightEnabled(2));
}

TEST(MeshRenderer, UnlitTexturedWithoutDepthClearSetsAndRestoresInOrder) {
    Scene s;
    Texture texture(s.fake.application);
    IDirect3DTexture8* deviceTexture = LoadTestTexture(s.fake, texture);
    s.renderer.SetTexture(&texture);
    s.renderer.DisableDepthClear();
    s.renderer.EnableSpecular(); // no effect without lighting

    const RecordedDraw draw = RenderOnce(s);

    EXPECT_THAT(
        s.device().NamesOfCalls(),
        ElementsAreArray({"VertexBuffer::Lock",   "VertexBuffer::Unlock", "IndexBuffer::Lock",
                          "IndexBuffer::Unlock",  "SetTransform",         "SetTransform",
                          "SetTransform",         "SetTexture",           "SetTextureStageState",
                          "SetTextureStageState", "SetTextureStageState", "SetRenderState",
                          "SetStreamSource",      "SetVertexShader",      "SetIndices",
                          "BeginScene",           "DrawIndexedPrimitive", "EndScene",
                          "SetRenderState",       "SetTexture",           "SetTextureStageState",
                          "SetTextureStageState", "SetTextureStageState"}));
    EXPECT_EQ(s.device().CallsNamed("SetRenderState").at(0),
              Call("SetRenderState", D3DRS_LIGHTING, FALSE));
    EXPECT_EQ(s.device().CallsNamed("SetRenderState").at(1),
              Call("SetRenderState", D3DRS_LIGHTING, TRUE));
    EXPECT_EQ(draw.texture, deviceTexture);
    EXPECT_EQ(draw.RenderState(D3DRS_LIGHTING), static_cast<DWORD>(FALSE));
    EXPECT_EQ(draw.RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(draw.RenderState(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE));
    EXPECT_EQ(draw.TextureStageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
    EXPECT_THAT(s.device().StatesDifferingFromDefaults(), IsEmpty());
}

TEST(MeshRenderer, WithoutTextureBindsNoneAndLitWithoutLightsEnablesNone) {
    Scene s;
    s.renderer.SetMaterial(&s.material);
    s.renderer.EnableLighting();
    const RecordedDraw draw = RenderOnce(s);
    EXPECT_EQ(s.device().CallsNamed("SetTexture").at(0), CallOn(nullptr, "SetTexture", 0));
    EXPECT_EQ(s.device().CountOf("SetLight"), 0);
    EXPECT_EQ(s.device().CountOf("LightEnable"), 0);
    EXPECT_EQ(draw.RenderState(D3DRS_LIGHTING), static_cast<DWORD>(TRUE));
    EXPECT_EQ(draw.RenderState(D3DRS_AMBIENT), 0xFFFFFFFFu); // the default ambient setting
    EXPECT_THAT(s.device().StatesDifferingFromDefaults(), IsEmpty());
}

TEST(MeshRenderer, WritesPositionsNormalsColourAndIndices) {
    Scene s;
    s.renderer.SetColor(0x80402010);
    const RecordedDraw draw = RenderOnce(s);
    ASSERT_EQ(draw.vertexCount, 4u);
    ASSERT_EQ(draw.primitiveCount, 2u);
    EXPECT_EQ(draw.stride, 36u);
    EXPECT_EQ(draw.vertexShader, 0x152u);
    EXPECT_THAT(draw.indexData, ElementsAreArray({2, 3, 1, 2, 1, 0}));
    const auto vertices = VerticesOf(draw.vertexData, 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(vertices[i].position.x, s.mesh.positions[i].x);
        EXPECT_EQ(vertices[i].position.y, s.mesh.positions[i].y);
        EXPECT_EQ(vertices[i].position.z, s.mesh.positions[i].z);
        // The quad faces -z, towards the default camera.
        EXPECT_EQ(vertices[i].normal.x, 0.0f);
        EXPECT_EQ(vertices[i].normal.y, 0.0f);
        EXPECT_EQ(vertices[i].normal.z, -1.0f);
        EXPECT_EQ(vertices[i].diffuse, 0x80402010u);
        // MakeQuad's own coordinates.
        EXPECT_EQ(vertices[i].u, s.mesh.texCoords[i].u);
        EXPECT_EQ(vertices[i].v, s.mesh.texCoords[i].v);
    }
}

TEST(MeshRenderer, MeshWithoutCoordinatesIsMappedAlongZ) {
    Scene s;
    FillMesh(s.mesh, {{2.0f, -1.0f, 5.0f}, {0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}}, {{0, 1, 2}});
    const auto vertices = VerticesOf(RenderOnce(s).vertexData, 3);
    EXPECT_EQ(vertices[0].u, 1.5f);
    EXPECT_EQ(vertices[0].v, -0.75f);
}

float Length(const D3DVECTOR& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

TEST(MeshRenderer, SmoothNormalsAverageUnitFaceNormalsWhateverTheArea) {
    Scene s;
    // Two faces meet at a right angle along the ridge (vertices 0 and 1); the second is ten
    // times larger. Face 0: (p1 - p0) x (p2 - p0) = (1, 1, 0); face 1: (-10, 10, 0). Face 2 has
    // no area and must add nothing.
    FillMesh(s.mesh, {{0, 0, 0}, {0, 0, 1}, {1, -1, 0}, {-10, -10, 0}},
             {{0, 1, 2}, {1, 0, 3}, {0, 1, 1}});
    const auto vertices = VerticesOf(RenderOnce(s).vertexData, 4);
    const float half = std::sqrt(0.5f);
    const D3DVECTOR expected[] = {{0, 1, 0}, {0, 1, 0}, {half, half, 0}, {-half, half, 0}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(Length(vertices[i].normal), 1.0f, 1e-6f);
        EXPECT_NEAR(vertices[i].normal.x, expected[i].x, 1e-6f);
        EXPECT_NEAR(vertices[i].normal.y, expected[i].y, 1e-6f);
        EXPECT_NEAR(vertices[i].normal.z, expected[i].z, 1e-6f);
    }
}

TEST(MeshRenderer, OppositeFacesCancelAndUnusedVerticesGetZeroNormals) {
    Scene s;
    FillMesh(s.mesh, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {5, 5, 5}}, {{0, 1, 2}, {0, 2, 1}});
    const auto vertices = VerticesOf(RenderOnce(s).vertexData, 4);
    for (const RenderVertex& v : vertices) {
        EXPECT_EQ(v.normal.x, 0.0f);
        EXPECT_EQ(v.normal.y, 0.0f);
        EXPECT_EQ(v.normal.z, 0.0f);
    }
}

TEST(MeshRenderer, TransformsAreRotationLookAtAndPerspectiveWithFarFifty) {
    Scene s;
    s.renderer.SetRotationX(0.5f);
    s.renderer.SetRotationY(-1.0f);
    s.renderer.SetRotationZ(2.0f);
    s.camera.SetPosition(1.0f, 2.0f, -3.0f);
    s.camera.SetFieldOfView(1.0f);
    const RecordedDraw draw = RenderOnce(s);

    D3DMATRIX x, y, z, expected;
    MatrixMultiply(expected, MatrixRotationX(x, 0.5f), MatrixRotationY(y, -1.0f));
    MatrixMultiply(expected, expected, MatrixRotationZ(z, 2.0f));
    const D3DMATRIX world = draw.transforms.at(D3DTS_WORLD);
    D3DMATRIX view;
    MatrixLookAtLH(view, {1.0f, 2.0f, -3.0f}, {0, 0, 0}, {0, 1, 0});
    D3DMATRIX projection;
    MatrixPerspectiveFovLH(projection, 1.0f, std::bit_cast<float>(0x3FAAAAA8u), 1.0f, 50.0f);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(world.m[r][c], expected.m[r][c]);
            EXPECT_EQ(draw.transforms.at(D3DTS_VIEW).m[r][c], view.m[r][c]);
            EXPECT_EQ(draw.transforms.at(D3DTS_PROJECTION).m[r][c], projection.m[r][c]);
        }
    }
    EXPECT_FLOAT_EQ(projection.m[2][2], 50.0f / 49.0f);
}

TEST(MeshRenderer, SixtyFiveThousandFiveHundredThirtySixVerticesAreDrawn) {
    Scene s;
    FillCountedMesh(s.mesh, 65536, 65536);
    s.device().ClearCalls();
    ASSERT_EQ(s.renderer.Render(), 0);
    const RecordedCall draw = s.device().CallsNamed("DrawIndexedPrimitive").at(0);
    EXPECT_EQ(draw, Call("DrawIndexedPrimitive", D3DPT_TRIANGLELIST, 0, 65536, 0, 65536));
    EXPECT_THAT(s.device().Misuse(), IsEmpty());
}

TEST(MeshRenderer, EveryRenderClearsDepthFirstWhenAsked) {
    Scene s;
    s.device().ClearCalls();
    ASSERT_EQ(s.renderer.Render(), 0);
    ASSERT_EQ(s.renderer.Render(), 0);
    const auto clears = s.device().CallsNamed("Clear");
    ASSERT_EQ(clears.size(), 2u);
    EXPECT_EQ(clears[1], Call("Clear", 0, D3DCLEAR_ZBUFFER, 0, 1.0, 0));
    s.renderer.DisableDepthClear();
    s.device().ClearCalls();
    ASSERT_EQ(s.renderer.Render(), 0);
    EXPECT_EQ(s.device().CountOf("Clear"), 0);
}

} // namespace
