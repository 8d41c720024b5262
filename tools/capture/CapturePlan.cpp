#include "tools/capture/CapturePlan.h"

#include "demo/Timeline.h"
#include "tools/capture/ContactSheet.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::uint64_t showByteRate = 176400;

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

std::optional<SceneId> SceneNamed(const std::string& name) {
    for (int i = 0; i < sceneIdCount; ++i) {
        if (name == SceneName(static_cast<SceneId>(i))) {
            return static_cast<SceneId>(i);
        }
    }
    return std::nullopt;
}

// "from 0 to 13 s and from 52 to 66.5 s": where the scene is the one shown.
std::string WhenPlaying(SceneId scene) {
    const auto windows = TimelineWindows();
    std::string text;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (windows[i].scene != scene) {
            continue;
        }
        const float end = i + 1 < windows.size() ? std::min(windows[i].end, windows[i + 1].start)
                                                 : windows[i].end;
        text += (text.empty() ? "from " : " and from ") + Seconds(windows[i].start) + " to " +
                Seconds(end) + " s";
    }
    return text;
}

bool Selects(SceneId scene, FrameRate fps, std::uint64_t frame) {
    return TimelineScene(MusicSecondsOf(fps, frame)) == scene;
}

} // namespace

float MusicSecondsOf(FrameRate fps, std::uint64_t frame) {
    // As the capture host computes the position: quotient and remainder, no overflow.
    const std::uint64_t ticks = frame * fps.den;
    const std::uint64_t bytes =
        ticks / fps.num * showByteRate + ticks % fps.num * showByteRate / fps.num;
    const auto position = static_cast<std::int32_t>(bytes);
    return static_cast<float>(position) / static_cast<float>(showByteRate);
}

std::optional<CapturePlan> PlanCapture(const CaptureOptions& options, std::string& error) {
    CapturePlan plan;
    const FrameRate fps = options.fps;
    if (!options.scene.empty()) {
        plan.scene = SceneNamed(options.scene);
        if (!plan.scene) {
            error = "no scene is called '" + options.scene + "' (see --help)";
            return std::nullopt;
        }
        const auto table = ShowScenes();
        if (std::none_of(table.begin(), table.end(),
                         [&](const SceneEntry& e) { return e.id == *plan.scene; })) {
            error =
                std::string("the scene ") + SceneName(*plan.scene) + " is not part of this build";
            return std::nullopt;
        }
    }

    std::vector<std::uint64_t> frames;
    if (!options.contactSheet.empty()) {
        const auto windows = TimelineWindows();
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const double moment = ContactSheetMoment(i);
            const std::uint64_t frame = fps.FirstFrameAtOrAfter(moment);
            char label[64];
            std::snprintf(label, sizeof label, "%s  %.2f s", SceneName(windows[i].scene), moment);
            plan.labels.emplace_back(frame, label);
            frames.push_back(frame);
        }
    } else if (!options.at.empty()) {
        for (const double seconds : options.at) {
            const std::uint64_t frame = fps.FirstFrameAtOrAfter(seconds);
            if (TimelineWindowAt(MusicSecondsOf(fps, frame)) < 0) {
                error = "--at " + Seconds(seconds) +
                        ": no frame starts between then and the end "
                        "of the show (203 s)";
                return std::nullopt;
            }
            if (plan.scene && !Selects(*plan.scene, fps, frame)) {
                error = "--at " + Seconds(seconds) + ": " + options.scene +
                        " does not play then; it plays " + WhenPlaying(*plan.scene);
                return std::nullopt;
            }
            frames.push_back(frame);
        }
    } else {
        double from = options.from.value_or(0.0);
        double to = options.to.value_or(showEndSeconds);
        if (plan.scene && !options.from && !options.to) {
            const auto windows = TimelineWindows();
            const auto first = std::find_if(windows.begin(), windows.end(),
                                            [&](const auto& w) { return w.scene == *plan.scene; });
            from = first->start;
            to = first->end;
        }
        const std::uint64_t first = fps.FirstFrameAtOrAfter(from);
        const std::uint64_t last = fps.LastFrameAtOrBefore(to);
        if (last < first) {
            error = "no frame starts between " + Seconds(from) + " and " + Seconds(to) + " s";
            return std::nullopt;
        }
        if (!plan.scene) {
            plan.schedule = FrameSchedule::Range(first, last);
            return plan;
        }
        for (std::uint64_t frame = first; frame <= last; ++frame) {
            if (Selects(*plan.scene, fps, frame)) {
                frames.push_back(frame);
            }
        }
        if (frames.empty()) {
            error = options.scene + " does not play between " + Seconds(from) + " and " +
                    Seconds(to) + " s; it plays " + WhenPlaying(*plan.scene);
            return std::nullopt;
        }
        if (!options.video.empty() && frames.back() - frames.front() + 1 != frames.size()) {
            error = options.scene +
                    " plays more than once in that range, and a video needs one "
                    "stretch; it plays " +
                    WhenPlaying(*plan.scene);
            return std::nullopt;
        }
    }
    plan.schedule = FrameSchedule::Frames(std::move(frames));
    return plan;
}
