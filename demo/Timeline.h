#pragma once
// The show's timeline: which scene owns a moment of the music.

#include "demo/SceneTable.h"

#include <optional>

// The eight windows are closed intervals tested in order, the last one containing the time
// winning; no scene before 0 s, after 203 s, or for a time that is not a number.
std::optional<SceneId> TimelineScene(float seconds);
