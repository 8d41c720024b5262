#include "effects/Fog.h"

#include "effects/RendererTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

double Bits(float value) {
    return std::bit_cast<DWORD>(value);
}

TEST(Fog, EnableSetsTheSixStatesInOrderWithFloatBitsAndDisableZeroesThem) {
    FakeApplication fake;
    ASSERT_EQ(fake.Create(), 0);
    RecordingDevice& device = fake.Device();
    device.ClearCalls();

    EXPECT_EQ(EnableFog(fake.application, 0x00262626, -10.0f, 37.9f), 0);
    EXPECT_THAT(device.Calls(), ElementsAreArray({
                                    Call("SetRenderState", D3DRS_FOGENABLE, TRUE),
                                    Call("SetRenderState", D3DRS_RANGEFOGENABLE, TRUE),
                                    Call("SetRenderState", D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR),
                                    Call("SetRenderState", D3DRS_FOGCOLOR, 0x00262626),
                                    Call("SetRenderState", D3DRS_FOGSTART, Bits(-10.0f)),
                                    Call("SetRenderState", D3DRS_FOGEND, Bits(37.9f)),
                                }));
    EXPECT_EQ(device.RenderState(D3DRS_FOGEND), 0x4217999Au); // 37.9f

    device.ClearCalls();
    EXPECT_EQ(DisableFog(fake.application), 0);
    EXPECT_THAT(device.Calls(), ElementsAreArray({
                                    Call("SetRenderState", D3DRS_FOGENABLE, 0),
                                    Call("SetRenderState", D3DRS_RANGEFOGENABLE, 0),
                                    Call("SetRenderState", D3DRS_FOGVERTEXMODE, 0),
                                    Call("SetRenderState", D3DRS_FOGCOLOR, 0),
                                    Call("SetRenderState", D3DRS_FOGSTART, 0),
                                    Call("SetRenderState", D3DRS_FOGEND, 0),
                                }));
    // End 0.0 rather than the device default 1.0.
    EXPECT_THAT(device.StatesDifferingFromDefaults(),
                ElementsAreArray({::testing::HasSubstr("37 = 0")}));
}

TEST(Fog, BothSwitchesSetNothingWhileTheDeviceIsLost) {
    FakeApplication fake;
    ASSERT_EQ(fake.Create(), 0);
    ASSERT_EQ(EnableFog(fake.application, 0x00FF0000, 1.0f, 2.0f), 0);
    LoseDevice(fake);
    fake.Device().ClearCalls();
    EXPECT_EQ(EnableFog(fake.application, 0x000000FF, 3.0f, 4.0f), -28);
    EXPECT_EQ(DisableFog(fake.application), -28);
    EXPECT_THAT(fake.Device().Calls(), IsEmpty());
    EXPECT_EQ(fake.Device().RenderState(D3DRS_FOGCOLOR), 0x00FF0000u);
}

} // namespace
