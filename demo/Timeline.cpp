#include "demo/Timeline.h"

#include <iterator>

namespace {

// Every bound is exact in single precision.
constexpr TimelineWindow timeline[] = {
    {0.0f, 16.0f, SceneId::schtar},       {13.0f, 52.0f, SceneId::stekelz},
    {52.0f, 66.5f, SceneId::schtar},      {66.5f, 79.5f, SceneId::polez},
    {79.5f, 105.5f, SceneId::zwartEnWit}, {105.5f, 131.5f, SceneId::test},
    {131.5f, 157.25f, SceneId::wendo},    {157.25f, 203.0f, SceneId::marble},
};

} // namespace

std::span<const TimelineWindow> TimelineWindows() {
    return timeline;
}

int TimelineWindowAt(float seconds) {
    int found = -1;
    for (int i = 0; i < static_cast<int>(std::size(timeline)); ++i) {
        if (timeline[i].start <= seconds && seconds <= timeline[i].end) {
            found = i;
        }
    }
    return found;
}

std::optional<SceneId> TimelineScene(float seconds) {
    const int window = TimelineWindowAt(seconds);
    if (window < 0) {
        return std::nullopt;
    }
    return timeline[window].scene;
}
