#include "tools/capture/FrameSchedule.h"

#include <algorithm>

FrameSchedule FrameSchedule::Range(std::uint64_t firstFrame, std::uint64_t lastFrame) {
    FrameSchedule schedule;
    schedule.first = firstFrame;
    schedule.last = std::max(firstFrame, lastFrame);
    return schedule;
}

FrameSchedule FrameSchedule::Frames(std::vector<std::uint64_t> list) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    FrameSchedule schedule;
    schedule.first = list.front();
    schedule.last = list.back();
    schedule.frames = std::move(list);
    return schedule;
}

bool FrameSchedule::Contains(std::uint64_t frame) const {
    if (frames.empty()) {
        return first <= frame && frame <= last;
    }
    return std::binary_search(frames.begin(), frames.end(), frame);
}

std::uint64_t FrameSchedule::Count() const {
    return frames.empty() ? last - first + 1 : frames.size();
}
