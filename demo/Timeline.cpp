#include "demo/Timeline.h"

namespace {

struct TimelineWindow {
    float start; // seconds of music, inclusive
    float end;   // inclusive
    SceneId scene;
};

// Every bound is exact in single precision.
constexpr TimelineWindow timeline[] = {
    {0.0f, 16.0f, SceneId::schtar},       {13.0f, 52.0f, SceneId::stekelz},
    {52.0f, 66.5f, SceneId::schtar},      {66.5f, 79.5f, SceneId::polez},
    {79.5f, 105.5f, SceneId::zwartEnWit}, {105.5f, 131.5f, SceneId::test},
    {131.5f, 157.25f, SceneId::wendo},    {157.25f, 203.0f, SceneId::marble},
};

} // namespace

std::optional<SceneId> TimelineScene(float seconds) {
    std::optional<SceneId> scene;
    for (const TimelineWindow& window : timeline) {
        if (window.start <= seconds && seconds <= window.end) {
            scene = window.scene;
        }
    }
    return scene;
}
