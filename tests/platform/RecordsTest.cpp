#include "platform/Camera.h"
#include "platform/EngineResult.h"
#include "platform/Light.h"
#include "platform/Material.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

TEST(EngineResultTest, DescribesEveryCodeWithTheFixedTexts) {
    const struct {
        EngineResult code;
        const char* text;
    } cases[] = {
        {0, "No error occured.\n"},
        {-1, "Fatal error.\n"},
        {-2, "Errors currently undocumented, sorry ;)\n"},
        {-24, "Errors currently undocumented, sorry ;)\n"},
        {-42, "Errors currently undocumented, sorry ;)\n"},
        {-43, "Fatal undocumented error.\n"},
        {1, "Fatal undocumented error.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(DescribeEngineError(c.code), c.text) << c.code;
    }
}

TEST(RecordsTest, FreshLightIsAWhiteDirectionalLightAlongPlusZ) {
    const Light light;
    const D3DLIGHT8& raw = light; // handed to SetLight as it is
    EXPECT_EQ(raw.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(raw.Diffuse.r, 1.0f);
    EXPECT_EQ(raw.Diffuse.g, 1.0f);
    EXPECT_EQ(raw.Diffuse.b, 1.0f);
    EXPECT_EQ(raw.Diffuse.a, 0.0f);
    EXPECT_EQ(raw.Direction.z, 1.0f);
    D3DLIGHT8 expected{};
    expected.Type = D3DLIGHT_DIRECTIONAL;
    expected.Diffuse = {1, 1, 1, 0};
    expected.Direction = {0, 0, 1};
    EXPECT_EQ(std::memcmp(&raw, &expected, sizeof expected), 0);
    EXPECT_EQ(offsetof(D3DLIGHT8, Phi), 100u);
}

TEST(RecordsTest, LightSettersStoreTheirValuesInTheDirect3DFields) {
    Light light;
    light.SetType(D3DLIGHT_POINT);
    light.SetSpecular(0.1f, 0.2f, 0.3f, 0.4f);
    light.SetAmbient(0.5f, 0.6f, 0.7f, 0.8f);
    light.SetPosition(1, 2, 3);
    light.SetRange(10);
    light.SetFalloff(2);
    light.SetAttenuation(1, 0.5f, 0.25f);
    light.SetTheta(0.3f);
    light.SetPhi(0.6f);
    EXPECT_EQ(light.Type, D3DLIGHT_POINT);
    EXPECT_EQ(light.Specular.a, 0.4f);
    EXPECT_EQ(light.Ambient.r, 0.5f);
    EXPECT_EQ(light.Position.y, 2.0f);
    EXPECT_EQ(light.Range, 10.0f);
    EXPECT_EQ(light.Falloff, 2.0f);
    EXPECT_EQ(light.Attenuation2, 0.25f);
    EXPECT_EQ(light.Theta, 0.3f);
    EXPECT_EQ(light.Phi, 0.6f);
}

TEST(RecordsTest, FreshMaterialReflectsWhiteWithoutHighlight) {
    const Material material;
    D3DMATERIAL8 expected{};
    expected.Diffuse = {1, 1, 1, 0};
    expected.Ambient = {1, 1, 1, 0};
    EXPECT_EQ(std::memcmp(static_cast<const D3DMATERIAL8*>(&material), &expected, sizeof expected),
              0);
}

TEST(RecordsTest, FreshCameraLooksFromMinusFourAtTheOriginWithA45DegreeView) {
    const Camera camera;
    EXPECT_EQ(camera.position.z, -4.0f);
    EXPECT_EQ(camera.position.x, 0.0f);
    EXPECT_EQ(camera.target.z, 0.0f);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(camera.fieldOfView), 0x3F490FDBu);
}

} // namespace
