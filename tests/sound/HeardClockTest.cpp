#include "sound/audio/HeardClock.h"

#include <gtest/gtest.h>

namespace {
constexpr std::uint64_t ms = 1000000; // nanoseconds
constexpr std::uint32_t rate = 1000;  // one frame a millisecond keeps the numbers readable

// The device takes a buffer of `bufferFrames` at `now`; the stream fills `frames` of it.
void Deliver(HeardClock& clock, DeviceSchedule& schedule, std::uint64_t now,
             std::uint64_t bufferFrames, std::uint64_t frames) {
    clock.Deliver(now, schedule.Take(now, bufferFrames, rate), frames, rate);
}
} // namespace

TEST(HeardClock, InterpolatesWithinABufferAndStopsAtWhatWasDelivered) {
    DeviceSchedule schedule;
    HeardClock clock;
    Deliver(clock, schedule, 100 * ms, 20, 20);
    EXPECT_EQ(clock.Heard(100 * ms, rate), 0u);
    EXPECT_EQ(clock.Heard(107 * ms, rate), 7u);
    EXPECT_EQ(clock.Heard(120 * ms, rate), 20u);
    EXPECT_EQ(clock.Heard(500 * ms, rate), 20u);
}

// A device that takes two buffers at once plays them one after the other.
TEST(HeardClock, BuffersTakenTogetherPlayInTurn) {
    DeviceSchedule schedule;
    HeardClock clock;
    Deliver(clock, schedule, 0, 20, 20);
    Deliver(clock, schedule, 1 * ms, 20, 20);
    EXPECT_EQ(clock.Heard(2 * ms, rate), 2u);
    EXPECT_EQ(clock.Heard(25 * ms, rate), 25u);
    EXPECT_EQ(clock.Heard(40 * ms, rate), 40u);
}

// After an underrun or a pause the next buffer starts when it is taken.
TEST(HeardClock, AGapHoldsTheCountStill) {
    DeviceSchedule schedule;
    HeardClock clock;
    Deliver(clock, schedule, 0, 10, 10);
    Deliver(clock, schedule, 50 * ms, 10, 10);
    EXPECT_EQ(clock.Heard(30 * ms, rate), 10u);
    EXPECT_EQ(clock.Heard(55 * ms, rate), 15u);
}

// A stream that ends part-way through a buffer is heard only for its own frames, and buffers
// without it add nothing.
TEST(HeardClock, PartialAndEmptyBuffers) {
    DeviceSchedule schedule;
    HeardClock clock;
    Deliver(clock, schedule, 0, 20, 20);
    Deliver(clock, schedule, 20 * ms, 20, 5);
    EXPECT_EQ(clock.Heard(23 * ms, rate), 23u);
    EXPECT_EQ(clock.Heard(30 * ms, rate), 25u);
    Deliver(clock, schedule, 40 * ms, 20, 0);
    EXPECT_EQ(clock.Delivered(), 25u);
    EXPECT_EQ(clock.Heard(60 * ms, rate), 25u);
}

// Many buffers far ahead: the count stays monotonic and complete.
TEST(HeardClock, LongRunsKeepEveryFrame) {
    DeviceSchedule schedule;
    HeardClock clock;
    std::uint64_t last = 0;
    for (std::uint64_t i = 0; i < 1000; ++i) {
        const std::uint64_t now = i * 9 * ms; // callbacks a little faster than real time
        Deliver(clock, schedule, now, 10, 10);
        const std::uint64_t heard = clock.Heard(now, rate);
        ASSERT_GE(heard, last);
        ASSERT_LE(heard, i * 10);
        last = heard;
    }
    EXPECT_EQ(clock.Heard(100000 * ms, rate), 10000u);
}
