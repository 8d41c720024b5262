#pragma once
// The show's timeline: which scene owns a moment of the music.

#include "demo/SceneTable.h"

#include <optional>
#include <span>

struct TimelineWindow {
    float start; // seconds of music, inclusive
    float end;   // inclusive
    SceneId scene;
};

// The eight windows in the order they are tested.
std::span<const TimelineWindow> TimelineWindows();

// The eight windows are closed intervals tested in order, the last one containing the time
// winning; no scene before 0 s, after 203 s, or for a time that is not a number.
std::optional<SceneId> TimelineScene(float seconds);

// The index in TimelineWindows() of the window that selects the scene at this time, or -1.
int TimelineWindowAt(float seconds);
