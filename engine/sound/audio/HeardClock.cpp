#include "sound/audio/HeardClock.h"

#include <algorithm>

namespace {

constexpr std::uint64_t nsPerSecond = 1000000000;

// A device that asks for buffers faster than it plays them is trusted this far ahead; beyond
// it the schedule is pulled back to the device's own pace.
constexpr std::uint64_t maxAheadNs = 200000000;

std::uint64_t Duration(std::uint64_t frames, std::uint32_t rate) {
    return frames * nsPerSecond / rate;
}

} // namespace

std::uint64_t DeviceSchedule::Take(std::uint64_t now, std::uint64_t frames, std::uint32_t rate) {
    const std::uint64_t start = std::clamp(end, now, now + maxAheadNs);
    end = start + Duration(frames, rate);
    return start;
}

void HeardClock::Reset() {
    first = 0;
    count = 0;
    done = 0;
    delivered = 0;
}

void HeardClock::Deliver(std::uint64_t now, std::uint64_t start, std::uint64_t frames,
                         std::uint32_t rate) {
    // Chunks played to their end are folded into the count (and the oldest one when full).
    while (count > 0) {
        const Chunk& c = chunks[first];
        if (count < capacity && c.start + Duration(c.frames, rate) > now) {
            break;
        }
        done += c.frames;
        first = (first + 1) % capacity;
        --count;
    }
    delivered += frames;
    if (frames > 0) {
        chunks[(first + count) % capacity] = {start, frames};
        ++count;
    }
}

std::uint64_t HeardClock::Heard(std::uint64_t now, std::uint32_t rate) const {
    std::uint64_t heard = done;
    for (int i = 0; i < count; ++i) {
        const Chunk& c = chunks[(first + i) % capacity];
        if (now <= c.start) {
            break;
        }
        heard += std::min(c.frames, (now - c.start) * rate / nsPerSecond);
    }
    return heard;
}
