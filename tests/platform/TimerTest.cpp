#include "platform/Timer.h"
#include "platform/MathF.h"

#include <gtest/gtest.h>

#include <bit>
#include <type_traits>

namespace {

DWORD fakeNow = 0;
DWORD FakeClock() {
    return fakeNow;
}

class FakeClockTest : public ::testing::Test {
  protected:
    void SetUp() override { SetTimeSourceForTesting(FakeClock); }
    void TearDown() override { SetTimeSourceForTesting(nullptr); }
};

TEST_F(FakeClockTest, TimerMeasuresAcrossTheWrapOfTheClock) {
    fakeNow = 0xFFFFFF00u;
    Timer timer;
    EXPECT_EQ(timer.ElapsedMilliseconds(), 0u);
    fakeNow = 0x00000100u;
    EXPECT_EQ(timer.ElapsedMilliseconds(), 512u);
    EXPECT_FLOAT_EQ(timer.ElapsedSeconds(), 0.512f);
}

TEST_F(FakeClockTest, TimerSecondsAreMillisecondsTimesOneThousandth) {
    fakeNow = 1000;
    Timer timer;
    fakeNow = 2500;
    EXPECT_EQ(timer.ElapsedMilliseconds(), 1500u);
    EXPECT_EQ(timer.ElapsedSeconds(), 1500.0f * std::bit_cast<float>(0x3A83126Fu));
    EXPECT_NEAR(timer.ElapsedSeconds(), 1.5f, 1e-6f);
    EXPECT_EQ(timer.Restart(), 2500u);
    fakeNow = 2507;
    EXPECT_EQ(timer.ElapsedMilliseconds(), 7u);
}

TEST(TimerTest, RealClockReadsAboutZeroRightAfterConstruction) {
    Timer timer;
    EXPECT_LE(timer.ElapsedMilliseconds(), 1u);
}

TEST(MathFTest, WorksInSinglePrecision) {
    static_assert(std::is_same_v<decltype(SinF(1.0f)), float>);
    EXPECT_EQ(SqrtF(2.0f), std::bit_cast<float>(0x3FB504F3u));
    EXPECT_EQ(AbsF(-0.5f), 0.5f);
    EXPECT_EQ(CosF(0.0f), 1.0f);
    EXPECT_NEAR(SinF(0.5f), 0.4794255f, 1e-7f);
}

} // namespace
