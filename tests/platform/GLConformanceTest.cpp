// Pictures of the OpenGL device compared with what Direct3D 8 draws, worked out by hand.

#include "GLTestDevice.h"

#include "platform/d3d8/GLDevice.h"

#include <cmath>
#include <cstring>

namespace {

using GLPicture = GLDeviceTest;

constexpr D3DMATRIX kIdentity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

// Left-handed perspective, vertical field of view fov, as Direct3D's helper builds it.
D3DMATRIX Perspective(float fov, float aspect, float zn, float zf) {
    const float yScale = 1.0f / std::tan(fov / 2);
    D3DMATRIX m{};
    m.m[0][0] = yScale / aspect;
    m.m[1][1] = yScale;
    m.m[2][2] = zf / (zf - zn);
    m.m[2][3] = 1;
    m.m[3][2] = -zn * zf / (zf - zn);
    return m;
}

D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m = kIdentity;
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

DWORD Bits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

IDirect3DTexture8* MakeTexture(IDirect3DDevice8* device, UINT width, UINT height, D3DFORMAT format,
                               std::initializer_list<std::uint32_t> texels) {
    IDirect3DTexture8* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    std::memcpy(locked.pBits, texels.begin(), texels.size() * 4);
    texture->UnlockRect(0);
    return texture;
}

TEST_F(GLPicture, WorldPointLandsOnThePixelDirect3DPutsItOn) {
    // Camera at (0, 0, -4) looking along +z; 90 degree field of view, 4:3.
    const D3DMATRIX view = Translation(0, 0, 4);
    const D3DMATRIX projection = Perspective(1.5707964f, 4.0f / 3.0f, 1, 100);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    // World (1, 0.5, 0) is camera (1, 0.5, 4): x = 0.75 / 4, y = 0.5 / 4 in device units, so
    // screen (380, 210). With pixel centres on integers the corner pixel is exactly covered.
    // The far corner (3, -0.5, 0) lands on screen (500, 270), which the quad does not cover.
    const std::uint32_t white = 0xFFFFFFFF;
    DrawQuad(Vertex(1, 0.5f, 0, white), Vertex(3, 0.5f, 0, white), Vertex(3, -0.5f, 0, white),
             Vertex(1, -0.5f, 0, white));
    SavePng("world-point");
    EXPECT_TRUE(Near(Pixel(380, 210), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(379, 210), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(380, 209), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(499, 269), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(500, 269), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(499, 270), {0, 0, 0}));
}

TEST_F(GLPicture, ScreenFillingQuadCoversEveryPixelEdgesIncluded) {
    DrawScreenQuad(0xFF00FF00);
    const ReadBackImage& image = Read();
    int uncovered = 0;
    for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
        uncovered += image.rgb[i + 1] != 255 ? 1 : 0;
    }
    EXPECT_EQ(uncovered, 0);
}

TEST_F(GLPicture, CullsCounterClockwiseByDefaultClockwiseOnRequestAndNothingUnderNone) {
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    const std::uint32_t red = 0xFFFF0000;
    const std::uint32_t blue = 0xFF0000FF;
    // Left: clockwise on screen (top-left, top-right, bottom-left). Right: counter-clockwise.
    const std::vector<TestVertex> vertices{
        Vertex(-0.9f, 0.9f, 0.5f, red), Vertex(-0.1f, 0.9f, 0.5f, red),
        Vertex(-0.9f, 0.1f, 0.5f, red), Vertex(0.1f, 0.9f, 0.5f, blue),
        Vertex(0.9f, 0.9f, 0.5f, blue), Vertex(0.1f, 0.1f, 0.5f, blue)};
    const std::vector<std::uint16_t> indices{0, 1, 2, 3, 5, 4};
    const struct {
        DWORD cull;
        bool clockwiseDrawn;
        bool counterClockwiseDrawn;
    } cases[] = {{D3DCULL_CCW, true, false}, {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true}};
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 0, 0);
        device_->SetRenderState(D3DRS_CULLMODE, c.cull);
        Draw(vertices, indices);
        const Rgb left = Pixel(100, 100);
        const Rgb right = Pixel(420, 100);
        EXPECT_EQ(left.r == 255, c.clockwiseDrawn) << "cull mode " << c.cull;
        EXPECT_EQ(right.b == 255, c.counterClockwiseDrawn) << "cull mode " << c.cull;
    }
}

TEST_F(GLPicture, DepthIsSixteenBitLessEqualAndWritesCanBeSwitchedOff) {
    DrawScreenQuad(0xFFFF0000, 0.5f);
    // Equal depth passes; so does a depth that differs below 16-bit resolution.
    DrawScreenQuad(0xFF00FF00, 0.5f + 1e-6f);
    EXPECT_TRUE(Near(Pixel(320, 240), {0, 255, 0}));
    DrawScreenQuad(0xFF0000FF, 0.5f + 1e-4f);
    EXPECT_TRUE(Near(Pixel(320, 240), {0, 255, 0}));

    // Without depth writes a nearer quad draws but leaves depth at 0.5: still tested, though.
    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawScreenQuad(0xFFFFFFFF, 0.25f);
    EXPECT_TRUE(Near(Pixel(320, 240), {255, 255, 255}));
    DrawScreenQuad(0xFF0000FF, 0.75f);
    EXPECT_TRUE(Near(Pixel(320, 240), {255, 255, 255}));
    device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    DrawScreenQuad(0xFF00FFFF, 0.4f);
    EXPECT_TRUE(Near(Pixel(320, 240), {0, 255, 255}));

    // Depth test off draws behind everything.
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    DrawScreenQuad(0xFF808080, 0.9f);
    EXPECT_TRUE(Near(Pixel(320, 240), {128, 128, 128}));
}

TEST_F(GLPicture, BlendFactorsOnABufferWithoutAlpha) {
    IDirect3DTexture8* halfRed = MakeTexture(device_, 1, 1, D3DFMT_A8R8G8B8, {0x80FF0000});
    const struct {
        const char* name;
        DWORD source;
        DWORD destination;
        D3DCOLOR background;
        std::uint32_t vertexColour;
        IDirect3DTexture8* texture;
        Rgb expected;
    } cases[] = {
        {"ONE/ZERO replaces",
         D3DBLEND_ONE,
         D3DBLEND_ZERO,
         0x00C86432,
         0xFF64C832,
         nullptr,
         {100, 200, 50}},
        {"ONE/ONE adds and saturates",
         D3DBLEND_ONE,
         D3DBLEND_ONE,
         0x00C86432,
         0xFF64C832,
         nullptr,
         {255, 255, 100}},
        // 255 x 128/255 + destination.
        {"SRCALPHA/ONE weights by texture alpha",
         D3DBLEND_SRCALPHA,
         D3DBLEND_ONE,
         0x00000064,
         0xFFFFFFFF,
         halfRed,
         {128, 0, 100}},
        // min(alpha, 1 - destination alpha) is 0: destination x source colour.
        {"SRCALPHASAT/SRCCOLOR darkens",
         D3DBLEND_SRCALPHASAT,
         D3DBLEND_SRCCOLOR,
         0x00C86432,
         0xFF80FF40,
         nullptr,
         {100, 100, 13}},
        // Destination alpha reads as 1.
        {"DESTALPHA/ZERO keeps source",
         D3DBLEND_DESTALPHA,
         D3DBLEND_ZERO,
         0x00C86432,
         0xFF64C832,
         nullptr,
         {100, 200, 50}},
        {"ONE/INVDESTALPHA keeps source",
         D3DBLEND_ONE,
         D3DBLEND_INVDESTALPHA,
         0x00C86432,
         0xFF64C832,
         nullptr,
         {100, 200, 50}},
        {"INVDESTALPHA/DESTALPHA keeps destination",
         D3DBLEND_INVDESTALPHA,
         D3DBLEND_DESTALPHA,
         0x00C86432,
         0xFF64C832,
         nullptr,
         {200, 100, 50}},
    };
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, c.background, 1, 0);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetRenderState(D3DRS_SRCBLEND, c.source);
        device_->SetRenderState(D3DRS_DESTBLEND, c.destination);
        device_->SetTexture(0, c.texture);
        DrawScreenQuad(c.vertexColour);
        EXPECT_TRUE(Near(Pixel(320, 240), c.expected, 1)) << c.name;
    }
    device_->SetTexture(0, nullptr);
    halfRed->Release();
}

TEST_F(GLPicture, StageZeroMultipliesTextureByDiffuseAndTakesTextureAlpha) {
    IDirect3DTexture8* opaque = MakeTexture(device_, 1, 1, D3DFMT_X8R8G8B8, {0x00C86432});
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x000000FF, 0, 0);

    // Unbound: opaque white, so the diffuse colour alone, even with alpha 0 in the vertex.
    DrawScreenQuad(0x0080FF40);
    EXPECT_TRUE(Near(Pixel(320, 240), {128, 255, 64}));

    // (200, 100, 50) x (128, 255, 255) / 255; the texture has no alpha, so it blends as 1.
    device_->SetTexture(0, opaque);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    DrawScreenQuad(0x0080FFFF);
    SavePng("texture-times-diffuse");
    EXPECT_TRUE(Near(Pixel(320, 240), {100, 100, 50}, 1));
    device_->SetTexture(0, nullptr);
    opaque->Release();
}

TEST_F(GLPicture, PointAndLinearFilteringAndWrapPutTexelsWhereDirect3DDoes) {
    IDirect3DTexture8* blackWhite =
        MakeTexture(device_, 2, 1, D3DFMT_X8R8G8B8, {0xFF000000, 0xFFFFFFFF});
    device_->SetTexture(0, blackWhite);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    // A quad over pixels 0..63 of a row band: with pixel centres on integers, pixel x samples
    // u = x / 64 (times the repeat count).
    const auto draw = [&](float repeats) {
        const float right = -1.0f + 64.0f / 320.0f;
        const std::uint32_t white = 0xFFFFFFFF;
        DrawQuad(Vertex(-1, 1, 0.5f, white, 0, 0), Vertex(right, 1, 0.5f, white, repeats, 0),
                 Vertex(right, 0.5f, 0.5f, white, repeats, 1), Vertex(-1, 0.5f, 0.5f, white, 0, 1));
    };
    draw(1);
    EXPECT_EQ(Pixel(31, 10).r, 0);
    EXPECT_EQ(Pixel(32, 10).r, 255);

    // Linear: texel centres at u = 1/4 and 3/4, that is pixels 16 and 48.
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    draw(1);
    EXPECT_TRUE(Near(Pixel(16, 10), {0, 0, 0}, 2));
    EXPECT_TRUE(Near(Pixel(24, 10), {64, 64, 64}, 2));
    EXPECT_TRUE(Near(Pixel(32, 10), {128, 128, 128}, 2));
    EXPECT_TRUE(Near(Pixel(48, 10), {255, 255, 255}, 2));

    // Wrap: two repeats over 64 pixels, point sampled.
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    draw(2);
    SavePng("wrap");
    const int expected[8] = {0, 15, 16, 31, 32, 47, 48, 63};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Pixel(expected[i], 10).r, (i / 2) % 2 == 0 ? 0 : 255) << "pixel " << expected[i];
    }
    device_->SetTexture(0, nullptr);
    blackWhite->Release();
}

TEST_F(GLPicture, ClearCountsRectanglesAsDirect3DDoes) {
    const D3DRECT rect{10, 10, 20, 20};
    const struct {
        const char* name;
        DWORD count;
        const D3DRECT* rects;
        bool inside;  // pixel (15, 15) cleared
        bool outside; // pixel (100, 100) cleared
    } cases[] = {{"no count, no rectangles: all", 0, nullptr, true, true},
                 {"a rectangle with count 0: nothing", 0, &rect, false, false},
                 {"count 1 without rectangles: all", 1, nullptr, true, true},
                 {"count 1 with the rectangle: inside only", 1, &rect, true, false}};
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 0, 0);
        EXPECT_EQ(device_->Clear(c.count, c.rects, D3DCLEAR_TARGET, 0x00FF0000, 0, 0), D3D_OK)
            << c.name;
        EXPECT_EQ(Pixel(15, 15).r == 255, c.inside) << c.name;
        EXPECT_EQ(Pixel(100, 100).r == 255, c.outside) << c.name;
    }
}

TEST_F(GLPicture, StageZeroOperationsAndArguments) {
    // Texture (200, 100, 50) without alpha; diffuse (128, 255, 64) with alpha 64. Blended
    // SRCALPHA/INVSRCALPHA over black, so the picture is colour x alpha.
    IDirect3DTexture8* texture = MakeTexture(device_, 1, 1, D3DFMT_X8R8G8B8, {0x00C86432});
    device_->SetTexture(0, texture);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const struct {
        const char* name;
        DWORD colourOp, colourArg1, alphaOp;
        Rgb expected;
    } cases[] = {
        {"MODULATE texture x current",
         D3DTOP_MODULATE,
         D3DTA_TEXTURE,
         D3DTOP_SELECTARG1,
         {100, 100, 13}},
        {"SELECTARG1 texture", D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTOP_SELECTARG1, {200, 100, 50}},
        {"SELECTARG1 diffuse", D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, {128, 255, 64}},
        {"SELECTARG2 current", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTOP_SELECTARG1, {128, 255, 64}},
        {"alpha SELECTARG2 takes the diffuse alpha",
         D3DTOP_SELECTARG2,
         D3DTA_TEXTURE,
         D3DTOP_SELECTARG2,
         {32, 64, 16}},
        {"DISABLE passes the diffuse colour and alpha",
         D3DTOP_DISABLE,
         D3DTA_TEXTURE,
         D3DTOP_SELECTARG1,
         {32, 64, 16}},
    };
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 0, 0);
        device_->SetTextureStageState(0, D3DTSS_COLOROP, c.colourOp);
        device_->SetTextureStageState(0, D3DTSS_COLORARG1, c.colourArg1);
        device_->SetTextureStageState(0, D3DTSS_ALPHAOP, c.alphaOp);
        DrawScreenQuad(0x4080FF40);
        EXPECT_TRUE(Near(Pixel(320, 240), c.expected, 1)) << c.name;
    }
    device_->SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(GLPicture, AlphaTestComparesTheEightBitAlphaWithTheReference) {
    IDirect3DTexture8* half = MakeTexture(device_, 1, 1, D3DFMT_A8R8G8B8, {0x80FFFFFF});
    device_->SetTexture(0, half);
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    const struct {
        DWORD function, reference;
        bool drawn;
    } cases[] = {{D3DCMP_GREATER, 127, true},      {D3DCMP_GREATER, 128, false},
                 {D3DCMP_GREATEREQUAL, 128, true}, {D3DCMP_LESS, 128, false},
                 {D3DCMP_EQUAL, 128, true},        {D3DCMP_NOTEQUAL, 128, false},
                 {D3DCMP_NEVER, 0, false},         {D3DCMP_ALWAYS, 255, true}};
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1, 0);
        device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(25), c.function);
        device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(24), c.reference);
        DrawScreenQuad(0xFFFFFFFF);
        EXPECT_EQ(Pixel(320, 240).r == 255, c.drawn)
            << "function " << c.function << ", reference " << c.reference;
    }
    device_->SetTexture(0, nullptr);
    half->Release();
}

TEST_F(GLPicture, StatesThatAreUniformsNeverBuildAnotherProgram) {
    auto* gl = dynamic_cast<GLDevice*>(device_);
    ASSERT_NE(gl, nullptr);
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    DrawScreenQuad(0xFF808080);
    const std::size_t programs = gl->ProgramCount();
    D3DMATERIAL8 material{};
    material.Power = 300;
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = {0, 0, 1};
    device_->SetMaterial(&material);
    device_->SetLight(3, &light); // not enabled: only its values change
    device_->SetRenderState(D3DRS_FOGCOLOR, 0x00123456);
    device_->SetRenderState(D3DRS_FOGSTART, Bits(2));
    device_->SetRenderState(D3DRS_FOGEND, Bits(2));
    device_->SetRenderState(D3DRS_AMBIENT, 0x00404040);
    device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(24), 77);
    const D3DMATRIX moved = Translation(0.1f, 0, 0);
    device_->SetTransform(D3DTS_WORLD, &moved);
    DrawScreenQuad(0xFF808080);
    EXPECT_EQ(gl->ProgramCount(), programs);
    // A state of the key builds one program, once.
    device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_EXP);
    DrawScreenQuad(0xFF808080);
    DrawScreenQuad(0xFF808080);
    EXPECT_EQ(gl->ProgramCount(), programs + 1);
}

D3DLIGHT8 Directional(float dx, float dy, float dz, D3DCOLORVALUE diffuse) {
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = diffuse;
    light.Direction = {dx, dy, dz};
    return light;
}

class GLLighting : public GLDeviceTest {
  protected:
    void SetUp() override {
        GLDeviceTest::SetUp();
        // Camera space is world space; the projection keeps x and y and halves z.
        D3DMATRIX projection = kIdentity;
        projection.m[2][2] = 0.5f;
        device_->SetTransform(D3DTS_PROJECTION, &projection);
    }
    // A quad facing the camera (normal -z) at depth z with corners at (+-half, +-half).
    void DrawFacingQuad(std::uint32_t colour, float half = 0.5f, float z = 1.0f) {
        DrawQuad(Vertex(-half, half, z, colour), Vertex(half, half, z, colour),
                 Vertex(half, -half, z, colour), Vertex(-half, -half, z, colour));
    }
    Rgb Lit(const D3DMATERIAL8& material, std::uint32_t colour) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1, 0);
        device_->SetMaterial(&material);
        DrawFacingQuad(colour);
        return Pixel(320, 240);
    }
};

TEST_F(GLLighting, DirectionalDiffuseUsesTheVertexColourAndTheAngle) {
    D3DMATERIAL8 material{};
    // Shining along +z onto a face whose normal is -z: N.L = 1.
    D3DLIGHT8 light = Directional(0, 0, 1, {0.5f, 1.0f, 1.0f, 1});
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    EXPECT_TRUE(Near(Lit(material, 0xFFFF80FF), {128, 128, 255}, 1));
    // Direction (0, 0.8, 0.6): N.L = 0.6.
    light = Directional(0, 0.8f, 0.6f, {0.5f, 1.0f, 1.0f, 1});
    device_->SetLight(0, &light);
    EXPECT_TRUE(Near(Lit(material, 0xFFFF80FF), {77, 77, 153}, 1));
    // A singular world matrix (z flattened) has no inverse: the normals stay untransformed.
    light = Directional(0, 0, 1, {0.5f, 1.0f, 1.0f, 1});
    device_->SetLight(0, &light);
    const D3DMATRIX flatten{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 1}}};
    device_->SetTransform(D3DTS_WORLD, &flatten);
    EXPECT_TRUE(Near(Lit(material, 0xFFFF80FF), {128, 128, 255}, 1));
    device_->SetTransform(D3DTS_WORLD, &kIdentity);
    // From behind the face: nothing.
    light = Directional(0, 0, -1, {1, 1, 1, 1});
    device_->SetLight(0, &light);
    EXPECT_TRUE(Near(Lit(material, 0xFFFFFFFF), {0, 0, 0}));
}

TEST_F(GLLighting, NormalsTurnByTheInverseOfTheWhole4x4World) {
    // Blue vertices lit head-on plus a red emissive. A world matrix that takes w from z is not
    // affine: its inverse's transpose flattens the normal to nothing, so the light adds nothing,
    // and Direct3D draws such a quad black but for the emissive, normalized or not.
    D3DMATERIAL8 material{};
    material.Emissive = {0.25f, 0, 0, 1};
    const D3DLIGHT8 light = Directional(0, 0, 1, {1, 1, 1, 1});
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    const D3DMATRIX wFromZ{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 1}, {0, 0, 0.5f, 0}}};
    const struct {
        const char* name;
        D3DMATRIX world;
        BOOL normalize;
        Rgb expected;
    } cases[] = {
        {"affine: moved back", Translation(0, 0, 0.5f), TRUE, {64, 0, 255}},
        {"w from z", wFromZ, FALSE, {64, 0, 0}},
        {"w from z, normals normalized", wFromZ, TRUE, {64, 0, 0}},
    };
    for (const auto& c : cases) {
        device_->SetTransform(D3DTS_WORLD, &c.world);
        device_->SetRenderState(D3DRS_NORMALIZENORMALS, c.normalize);
        EXPECT_TRUE(Near(Lit(material, 0xFF0000FF), c.expected, 1)) << c.name;
    }
}

TEST_F(GLLighting, AmbientAndEmissiveTerms) {
    D3DMATERIAL8 material{};
    material.Ambient = {1.0f, 0.5f, 0.25f, 1};
    // No light and no global ambient: black (GL's own default ambient would show 51).
    EXPECT_TRUE(Near(Lit(material, 0xFFFFFFFF), {0, 0, 0}));
    // The global ambient comes from the AMBIENT state and meets the material's ambient.
    device_->SetRenderState(D3DRS_AMBIENT, 0x00808080);
    EXPECT_TRUE(Near(Lit(material, 0xFFFFFFFF), {128, 64, 32}, 1));
    device_->SetRenderState(D3DRS_AMBIENT, 0);
    // A light's ambient counts even where its diffuse does not reach.
    D3DLIGHT8 light = Directional(0, 0, -1, {1, 1, 1, 1});
    light.Ambient = {0.5f, 0.5f, 0.5f, 1};
    device_->SetLight(1, &light);
    device_->LightEnable(1, TRUE);
    EXPECT_TRUE(Near(Lit(material, 0xFFFFFFFF), {128, 64, 32}, 1));
    device_->LightEnable(1, FALSE);
    // Emissive alone.
    material = D3DMATERIAL8{};
    material.Emissive = {0.2f, 0.4f, 0.6f, 1};
    EXPECT_TRUE(Near(Lit(material, 0xFFFFFFFF), {51, 102, 153}, 1));
    // Lighting off: the vertex colour, whatever the material.
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    EXPECT_TRUE(Near(Lit(material, 0xFF102030), {16, 32, 48}));
}

TEST_F(GLLighting, SpecularHighlightWithLocalViewerIsAddedAfterTexturing) {
    // Corners (+-0.5, +-0.5, 1) all see the eye the same way: V = -P / |P|, L = (0, 0, -1),
    // N.H = 1.8165 / 1.9061 = 0.95299, and 0.95299^10 = 0.6178 -> 158.
    D3DMATERIAL8 material{};
    material.Specular = {1, 1, 1, 1};
    material.Power = 10;
    D3DLIGHT8 light = Directional(0, 0, 1, {0, 0, 0, 0});
    light.Specular = {1, 1, 1, 1};
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    IDirect3DTexture8* black = MakeTexture(device_, 1, 1, D3DFMT_X8R8G8B8, {0});
    device_->SetTexture(0, black);
    device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    EXPECT_TRUE(Near(Lit(material, 0xFF000000), {158, 158, 158}, 2));
    SavePng("specular");
    // A viewer at infinity sees N.H = 1.
    device_->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
    EXPECT_TRUE(Near(Lit(material, 0xFF000000), {255, 255, 255}, 1));
    // Light tilted by 5.7 degrees: N.H = 0.99876, to the power 500 (beyond GL's cap of 128).
    light.Direction = {-0.1f, 0, 1};
    device_->SetLight(0, &light);
    material.Power = 500;
    EXPECT_TRUE(Near(Lit(material, 0xFF000000), {137, 137, 137}, 2));
    // Specular off adds nothing.
    device_->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    EXPECT_TRUE(Near(Lit(material, 0xFF000000), {0, 0, 0}));
    device_->SetTexture(0, nullptr);
    black->Release();
}

// Point and spot lights at (0, 0, -1): every corner of the facing quad is d = sqrt(4.5) away
// with N.L = 2 / d = 0.9428, so the quad is lit evenly.
D3DLIGHT8 LocalLight(D3DLIGHTTYPE type, float range, float a0, float a1, float a2) {
    D3DLIGHT8 light{};
    light.Type = type;
    light.Diffuse = {1, 1, 1, 1};
    light.Position = {0, 0, -1};
    light.Direction = {0, 0, 1};
    light.Range = range;
    light.Attenuation0 = a0;
    light.Attenuation1 = a1;
    light.Attenuation2 = a2;
    return light;
}

TEST_F(GLLighting, PointLightRangeAndAttenuation) {
    const struct {
        const char* name;
        D3DLIGHT8 light;
        int expected;
    } cases[] = {
        {"constant", LocalLight(D3DLIGHT_POINT, 10, 1, 0, 0), 240},
        {"linear: 1 / d", LocalLight(D3DLIGHT_POINT, 10, 0, 1, 0), 113},
        {"quadratic: 1 / d^2", LocalLight(D3DLIGHT_POINT, 10, 0, 0, 1), 53},
        {"beyond the range: nothing", LocalLight(D3DLIGHT_POINT, 2, 1, 0, 0), 0},
        {"all zero: 1 / 0 saturates", LocalLight(D3DLIGHT_POINT, 10, 0, 0, 0), 255},
    };
    const D3DMATERIAL8 material{};
    for (const auto& c : cases) {
        device_->SetLight(0, &c.light);
        device_->LightEnable(0, TRUE);
        const int v = c.expected;
        EXPECT_TRUE(Near(Lit(material, 0xFFFFFFFF), {v, v, v}, 1)) << c.name;
    }
}

TEST_F(GLLighting, SpotConeThetaPhiAndFalloff) {
    // rho = 0.9428 (19.5 degrees off the axis).
    const struct {
        const char* name;
        float thetaDegrees, phiDegrees, falloff;
        int expected;
    } cases[] = {
        {"inside theta: full", 60, 90, 1, 240},
        {"outside phi: nothing", 10, 30, 1, 0},
        {"between, falloff 1", 20, 60, 1, 155},
        {"between, falloff 2", 20, 60, 2, 100},
    };
    const D3DMATERIAL8 material{};
    for (const auto& c : cases) {
        D3DLIGHT8 light = LocalLight(D3DLIGHT_SPOT, 10, 1, 0, 0);
        light.Theta = c.thetaDegrees * 3.14159265f / 180;
        light.Phi = c.phiDegrees * 3.14159265f / 180;
        light.Falloff = c.falloff;
        device_->SetLight(0, &light);
        device_->LightEnable(0, TRUE);
        const int v = c.expected;
        EXPECT_TRUE(Near(Lit(material, 0xFFFFFFFF), {v, v, v}, 1)) << c.name;
    }
}

TEST_F(GLLighting, MaterialColourSources) {
    // Vertex colour (64, 128, 192); material diffuse (255, 128, 64); global ambient one half.
    D3DMATERIAL8 material{};
    material.Diffuse = {1, 0.5f, 0.25f, 1};
    device_->SetRenderState(D3DRS_AMBIENT, 0x00808080);
    const D3DLIGHT8 light = Directional(0, 0, 1, {1, 1, 1, 1});
    device_->SetLight(0, &light);
    const struct {
        const char* name;
        DWORD diffuse, ambient, emissive;
        BOOL colourVertex, lightOn;
        Rgb expected;
    } cases[] = {
        {"diffuse from the vertex",
         D3DMCS_COLOR1,
         D3DMCS_MATERIAL,
         D3DMCS_MATERIAL,
         TRUE,
         TRUE,
         {64, 128, 192}},
        {"diffuse from the material",
         D3DMCS_MATERIAL,
         D3DMCS_MATERIAL,
         D3DMCS_MATERIAL,
         TRUE,
         TRUE,
         {255, 128, 64}},
        {"colour vertex off",
         D3DMCS_COLOR1,
         D3DMCS_MATERIAL,
         D3DMCS_MATERIAL,
         FALSE,
         TRUE,
         {255, 128, 64}},
        {"COLOR2 the vertex lacks: material",
         D3DMCS_COLOR2,
         D3DMCS_MATERIAL,
         D3DMCS_MATERIAL,
         TRUE,
         TRUE,
         {255, 128, 64}},
        {"ambient from the vertex",
         D3DMCS_MATERIAL,
         D3DMCS_COLOR1,
         D3DMCS_MATERIAL,
         TRUE,
         FALSE,
         {32, 64, 96}},
        {"emissive from the vertex",
         D3DMCS_MATERIAL,
         D3DMCS_MATERIAL,
         D3DMCS_COLOR1,
         TRUE,
         FALSE,
         {64, 128, 192}},
    };
    for (const auto& c : cases) {
        device_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, c.diffuse);
        device_->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, c.ambient);
        device_->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, c.emissive);
        device_->SetRenderState(D3DRS_COLORVERTEX, c.colourVertex);
        device_->LightEnable(0, c.lightOn);
        EXPECT_TRUE(Near(Lit(material, 0xFF4080C0), c.expected, 1)) << c.name;
    }
}

class GLFog : public GLDeviceTest {
  protected:
    void SetUp() override {
        GLDeviceTest::SetUp();
        const D3DMATRIX projection = Perspective(1.5707964f, 4.0f / 3.0f, 1, 100);
        device_->SetTransform(D3DTS_PROJECTION, &projection);
        device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    }
    void EnableFog(D3DCOLOR colour, float start, float end) {
        device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
        device_->SetRenderState(D3DRS_RANGEFOGENABLE, TRUE);
        device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        device_->SetRenderState(D3DRS_FOGCOLOR, colour);
        device_->SetRenderState(D3DRS_FOGSTART, Bits(start));
        device_->SetRenderState(D3DRS_FOGEND, Bits(end));
    }
    // Corners (+-6, +-6, 11.0734): each 13.95 from the eye, but only 11.07 deep.
    void DrawQuadAtRange(std::uint32_t colour) {
        const float z = std::sqrt(13.95f * 13.95f - 72.0f);
        DrawQuad(Vertex(-6, 6, z, colour), Vertex(6, 6, z, colour), Vertex(6, -6, z, colour),
                 Vertex(-6, -6, z, colour));
    }
};

TEST_F(GLFog, LinearRangeFogPerVertex) {
    // f = (37.9 - 13.95) / (37.9 + 10) = 0.5; by depth alone it would be 0.56.
    EnableFog(0x0000C864, -10, 37.9f);
    DrawQuadAtRange(0xFFFF0064);
    SavePng("fog-half");
    EXPECT_TRUE(Near(Pixel(320, 240), {128, 100, 100}, 2));

    // Fog off: the plain colour.
    device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
    DrawQuadAtRange(0xFFFF0064);
    EXPECT_TRUE(Near(Pixel(320, 240), {255, 0, 100}));

    // Start equal to end fogs everything, near or far (f = 0).
    EnableFog(0x0000C864, 5, 5);
    DrawQuadAtRange(0xFFFF0064);
    EXPECT_TRUE(Near(Pixel(320, 240), {0, 200, 100}));
    EnableFog(0x0000C864, 20, 20);
    DrawQuadAtRange(0xFFFF0064);
    EXPECT_TRUE(Near(Pixel(320, 240), {0, 200, 100}));

    // Beyond the end: all fog colour.
    EnableFog(0x0000C864, 1, 2);
    DrawQuadAtRange(0xFFFF0064);
    EXPECT_TRUE(Near(Pixel(320, 240), {0, 200, 100}));
}

TEST_F(GLFog, AdditiveBlendingAddsTheFogShare) {
    // A black source fogged half-way is (0, 100, 50); ONE/ONE adds it to the background.
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x000A141E, 0, 0);
    EnableFog(0x0000C864, -10, 37.9f);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DrawQuadAtRange(0xFF000000);
    EXPECT_TRUE(Near(Pixel(320, 240), {10, 120, 80}, 2));
}

TEST_F(GLFog, FogFormulasDistancesAndModes) {
    // The quad's corners are 13.95 from the eye, 11.07 deep, at projected depth 0.91888.
    const struct {
        const char* name;
        DWORD vertexMode, tableMode;
        BOOL range;
        float start, end, density;
        Rgb expected;
    } cases[] = {
        {"EXP per vertex: exp(-0.05 x 13.95)",
         D3DFOG_EXP,
         D3DFOG_NONE,
         TRUE,
         0,
         1,
         0.05f,
         {127, 100, 100}},
        {"EXP2 per vertex", D3DFOG_EXP2, D3DFOG_NONE, TRUE, 0, 1, 0.05f, {157, 77, 100}},
        {"linear by depth |z|", D3DFOG_LINEAR, D3DFOG_NONE, FALSE, -10, 37.9f, 1, {143, 88, 100}},
        {"table: projected depth",
         D3DFOG_NONE,
         D3DFOG_LINEAR,
         FALSE,
         0.9f,
         0.95f,
         1,
         {159, 76, 100}},
        {"table, start = end beyond the depth",
         D3DFOG_NONE,
         D3DFOG_LINEAR,
         FALSE,
         0.95f,
         0.95f,
         1,
         {255, 0, 100}},
        {"table, start = end before the depth",
         D3DFOG_NONE,
         D3DFOG_LINEAR,
         FALSE,
         0.9f,
         0.9f,
         1,
         {0, 200, 100}},
        {"both modes none: the specular alpha, 0 here",
         D3DFOG_NONE,
         D3DFOG_NONE,
         TRUE,
         0,
         1,
         1,
         {0, 200, 100}},
    };
    for (const auto& c : cases) {
        EnableFog(0x0000C864, c.start, c.end);
        device_->SetRenderState(D3DRS_FOGVERTEXMODE, c.vertexMode);
        device_->SetRenderState(D3DRS_FOGTABLEMODE, c.tableMode);
        device_->SetRenderState(D3DRS_RANGEFOGENABLE, c.range);
        device_->SetRenderState(D3DRS_FOGDENSITY, Bits(c.density));
        DrawQuadAtRange(0xFFFF0064);
        EXPECT_TRUE(Near(Pixel(320, 240), c.expected, 1)) << c.name;
    }
}

TEST_F(GLFog, FlatShadingStillInterpolatesTheFogFactor) {
    // A screen-filling quad, red under blue fog, with f from 1 on its left edge to 0 on its
    // right: a quarter of the way across f = 0.75, three quarters 0.25 (by depth 0.9 and 0.5,
    // where 1 / z runs evenly across the screen). Flat colours come from the top-left vertex;
    // f does not.
    struct SpecularVertex {
        float x, y, z;
        std::uint32_t diffuse, specular;
    };
    const struct {
        const char* name;
        DWORD vertexMode;
        float leftZ, rightZ;
        Rgb quarter, threeQuarters;
    } cases[] = {
        {"vertex fog by depth, 5 to 15", D3DFOG_LINEAR, 5, 15, {230, 0, 26}, {128, 0, 128}},
        {"both modes none: the specular alpha", D3DFOG_NONE, 10, 10, {191, 0, 64}, {64, 0, 191}},
    };
    device_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    for (const auto& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1, 0);
        EnableFog(0x000000FF, 5, 15);
        device_->SetRenderState(D3DRS_RANGEFOGENABLE, FALSE);
        device_->SetRenderState(D3DRS_FOGVERTEXMODE, c.vertexMode);
        const float l = c.leftZ, r = c.rightZ, w = 4.0f / 3.0f;
        const SpecularVertex quad[] = {{-w * l, l, l, 0xFFFF0000, 0xFF000000},
                                       {w * r, r, r, 0xFFFF0000, 0},
                                       {w * r, -r, r, 0xFFFF0000, 0},
                                       {-w * l, -l, l, 0xFFFF0000, 0xFF000000}};
        DrawFormat(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR, quad, 4, sizeof quad[0],
                   {0, 1, 2, 0, 2, 3});
        EXPECT_TRUE(Near(Pixel(160, 240), c.quarter, 2)) << c.name;
        EXPECT_TRUE(Near(Pixel(480, 240), c.threeQuarters, 2)) << c.name;
    }
}

TEST_F(GLFog, LitColourPlusSpecularIsClampedBeforeFog) {
    // Diffuse 1 plus specular 1 (power 0) is clamped to 1, then fogged half-way.
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    D3DMATERIAL8 material{};
    material.Diffuse = {1, 1, 1, 1};
    material.Specular = {1, 1, 1, 1};
    device_->SetMaterial(&material);
    D3DLIGHT8 light = Directional(0, 0, 1, {1, 1, 1, 1});
    light.Specular = {1, 1, 1, 1};
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    EnableFog(0x0000C864, -10, 37.9f);
    DrawQuadAtRange(0xFFFFFFFF);
    SavePng("specular-fog");
    EXPECT_TRUE(Near(Pixel(320, 240), {128, 228, 178}, 2));
}

} // namespace
