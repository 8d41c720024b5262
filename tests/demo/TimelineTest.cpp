#include "demo/Timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace {

float Below(float x) {
    return std::nextafter(x, -std::numeric_limits<float>::infinity());
}
float Above(float x) {
    return std::nextafter(x, std::numeric_limits<float>::infinity());
}

struct Moment {
    float seconds;
    std::optional<SceneId> scene;
};

TEST(Timeline, BoundariesGoToTheLaterWindowAndNothingLiesOutside) {
    const std::optional<SceneId> none;
    const Moment moments[] = {
        {-0.001f, none},
        {Below(0.0f), none},
        {-0.0f, SceneId::schtar},
        {0.0f, SceneId::schtar},
        {Below(13.0f), SceneId::schtar},
        {13.0f, SceneId::stekelz},
        {16.0f, SceneId::stekelz},
        {Above(16.0f), SceneId::stekelz},
        {Below(52.0f), SceneId::stekelz},
        {52.0f, SceneId::schtar},
        {Below(66.5f), SceneId::schtar},
        {66.5f, SceneId::polez},
        {Below(79.5f), SceneId::polez},
        {79.5f, SceneId::zwartEnWit},
        {90.0f, SceneId::zwartEnWit},
        {Below(105.5f), SceneId::zwartEnWit},
        {105.5f, SceneId::test},
        {Below(131.5f), SceneId::test},
        {131.5f, SceneId::wendo},
        {Below(157.25f), SceneId::wendo},
        {157.25f, SceneId::marble},
        {203.0f, SceneId::marble},
        {Above(203.0f), none},
        {203.001f, none},
        {std::numeric_limits<float>::infinity(), none},
        {std::numeric_limits<float>::quiet_NaN(), none},
    };
    for (const Moment& moment : moments) {
        SCOPED_TRACE(testing::Message() << "at " << moment.seconds << " s");
        EXPECT_EQ(TimelineScene(moment.seconds), moment.scene);
    }
}

TEST(Timeline, AFailedPositionQueryGivesNoScene) {
    // All ones read as a signed byte count is -1.
    const float seconds = static_cast<float>(static_cast<std::int32_t>(0xFFFFFFFFu)) / 176400.0f;
    EXPECT_EQ(TimelineScene(seconds), std::nullopt);
}

} // namespace
