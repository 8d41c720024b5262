#include "tools/content/Waveform.h"
#include "tools/content/Mp3Encoder.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace content;

namespace {

Waveform Sine(double hz, float amplitude, double seconds) {
    Waveform wave(44100, seconds);
    for (std::size_t i = 0; i < wave.Frames(); ++i) {
        const float s = amplitude * static_cast<float>(std::sin(2 * 3.14159265358979 * hz *
                                                                static_cast<double>(i) / 44100.0));
        wave.left[i] = s;
        wave.right[i] = s;
    }
    return wave;
}

} // namespace

// Reference points of BS.1770: a 0 dBFS 1 kHz sine in both channels reads about -0.0 LUFS
// (each channel -3.01, summed); at 997 Hz the K-weighting is close to 0 dB.
TEST(Waveform, IntegratedLoudnessMatchesTheStandardsReferenceTone) {
    EXPECT_NEAR(IntegratedLoudness(Sine(997, 1.0f, 5)), 0.0, 0.15);
    EXPECT_NEAR(IntegratedLoudness(Sine(997, 0.1f, 5)), -20.0, 0.15);
    // Gating: a long silence does not pull the loudness down.
    Waveform tone = Sine(997, 0.1f, 10);
    std::fill(tone.left.begin() + 5 * 44100, tone.left.end(), 0.0f);
    std::fill(tone.right.begin() + 5 * 44100, tone.right.end(), 0.0f);
    EXPECT_NEAR(IntegratedLoudness(tone), -20.0, 0.2);
    EXPECT_NEAR(RmsDb(Sine(440, 1.0f, 1), 0, 1), -3.01, 0.02);
}

TEST(Waveform, LimiterKeepsEveryPeakUnderTheCeilingAndLeavesQuietPartsAlone) {
    Waveform wave = Sine(220, 0.3f, 2);
    for (std::size_t i = 44100; i < 44100 + 4410; ++i) {
        wave.left[i] *= 4.0f; // a loud burst of 1.2
        wave.right[i] *= 3.0f;
    }
    const Waveform before = wave;
    Limit(wave, 0.75f, 0.004, 0.08);
    EXPECT_LE(Peak(wave), 0.75f);
    EXPECT_GT(Peak(wave), 0.7f);
    for (std::size_t i = 0; i < 44100 - 2000; ++i) {
        ASSERT_EQ(wave.left[i], before.left[i]);
    }
}

TEST(Waveform, FadeOutEndsInSilence) {
    Waveform wave = Sine(440, 0.5f, 3);
    FadeOut(wave, 1.0, 2.0);
    EXPECT_NEAR(RmsDb(wave, 0, 1), RmsDb(Sine(440, 0.5f, 3), 0, 1), 1e-6);
    EXPECT_LT(RmsDb(wave, 1.75, 2.0), RmsDb(wave, 1.0, 1.25) - 12);
    EXPECT_EQ(Peak([&] {
                  Waveform tail(44100, 1);
                  std::copy(wave.left.begin() + 2 * 44100, wave.left.end(), tail.left.begin());
                  return tail;
              }()),
              0.0f);
}

TEST(Mp3Encoder, WritesFramesStartingWithTheInfoTag) {
    const std::vector<std::uint8_t> mp3 = EncodeMp3(Sine(440, 0.5f, 1), 192);
    ASSERT_GT(mp3.size(), 1000u);
    EXPECT_EQ(mp3[0], 0xFF); // a frame sync, no ID3 tag in front
    EXPECT_EQ(mp3[1] & 0xE0, 0xE0);
    const std::string head(mp3.begin(), mp3.begin() + 200);
    EXPECT_NE(head.find("Info"), std::string::npos); // LAME's tag for constant bit rate
    EXPECT_NE(head.find("LAME"), std::string::npos);
}
