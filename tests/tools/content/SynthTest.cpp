#include "tools/content/BusEffects.h"
#include "tools/content/Percussion.h"
#include "tools/content/Soundtrack.h"
#include "tools/content/SynthBlocks.h"
#include "tools/content/Voices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>

using namespace content;

TEST(Synth, NotesAreTunedToA440) {
    EXPECT_FLOAT_EQ(NoteHz(69), 440.0f);
    EXPECT_NEAR(NoteHz(57), 220.0f, 1e-3f);
    EXPECT_NEAR(NoteHz(60), 261.6256f, 1e-3f);
}

TEST(Synth, LowPassFilterPassesLowAndStopsHighFrequencies) {
    auto throughput = [](float hz) {
        Svf filter;
        filter.Set(500, 0.707f, 44100);
        double in = 0, out = 0;
        for (int i = 0; i < 44100; ++i) {
            const float x = std::sin(6.2831853f * hz * static_cast<float>(i) / 44100.0f);
            const float y = filter.Run(x);
            if (i > 4410) {
                in += x * x;
                out += y * y;
            }
        }
        return 10 * std::log10(out / in);
    };
    EXPECT_NEAR(throughput(100), 0.0, 0.5);
    EXPECT_NEAR(throughput(500), -3.0, 0.5);
    EXPECT_LT(throughput(5000), -35.0);
}

// Every instrument: sound within range, silence before its start, nothing left at the end
// of its span that would click, and the same bytes when played twice.
TEST(Synth, InstrumentsStartOnTimeStayBoundedAndEndWithoutAClick) {
    const std::vector<std::pair<const char*, std::function<void(Waveform&)>>> voices = {
        {"kick", [](Waveform& w) { Percussion::Kick(w, 0.5, 1.0f); }},
        {"snare", [](Waveform& w) { Percussion::Snare(w, 0.5, 1.0f); }},
        {"clap", [](Waveform& w) { Percussion::Clap(w, 0.5, 1.0f); }},
        {"hat", [](Waveform& w) { Percussion::HiHat(w, 0.5, 1.0f, true, 0.3f); }},
        {"crash", [](Waveform& w) { Percussion::Crash(w, 0.5, 1.0f); }},
        {"impact", [](Waveform& w) { Percussion::Impact(w, 0.5, 1.0f); }},
        {"tom", [](Waveform& w) { Percussion::Tom(w, 0.5, 45, 1.0f, 0); }},
        {"bass", [](Waveform& w) { Voices::Bass(w, 0.5, 0.4, 33, 1.0f, 1.0f); }},
        {"pad",
         [](Waveform& w) {
             Voices::Pad(w, 0.5, 1.0, {57, 60, 64}, 1.0f, 0.5f);
         }},
        {"stab",
         [](Waveform& w) {
             Voices::Stab(w, 0.5, {57, 60, 64}, 1.0f, 1.0f);
         }},
        {"pluck", [](Waveform& w) { Voices::Pluck(w, 0.5, 72, 1.0f, -0.5f, 1.0f); }},
        {"lead", [](Waveform& w) { Voices::Lead(w, 0.5, 0.5, 76, 1.0f, 72); }},
        {"bell", [](Waveform& w) { Voices::Bell(w, 0.5, 84, 1.0f, 0.5f); }},
    };
    for (const auto& [name, play] : voices) {
        SCOPED_TRACE(name);
        Waveform wave(44100, 5), again(44100, 5);
        play(wave);
        play(again);
        EXPECT_EQ(wave.left, again.left);
        EXPECT_EQ(Peak(wave) > 0.05f, true);
        EXPECT_LT(Peak(wave), 2.5f);
        EXPECT_EQ(RmsDb(wave, 0, 0.499), -200.0);
        EXPECT_GT(RmsDb(wave, 0.5, 0.75), -40.0);
        // The last sample a note writes is (almost) silent, and so is everything after it.
        std::size_t last = 0;
        for (std::size_t i = 0; i < wave.Frames(); ++i) {
            if (wave.left[i] != 0.0f || wave.right[i] != 0.0f) {
                last = i;
            }
        }
        EXPECT_LT(std::fabs(wave.left[last]), 0.01f);
        EXPECT_LT(std::fabs(wave.right[last]), 0.01f);
    }
}

TEST(Synth, DuckingDipsAtEachTriggerAndRecovers) {
    Waveform wave(44100, 2);
    std::fill(wave.left.begin(), wave.left.end(), 1.0f);
    std::fill(wave.right.begin(), wave.right.end(), 1.0f);
    Duck(wave, {0.5, 1.0}, 0.6f, 0.1);
    EXPECT_FLOAT_EQ(wave.left[wave.FrameAt(0.4)], 1.0f);
    EXPECT_NEAR(wave.left[wave.FrameAt(0.504)], 0.4f, 0.01f);
    EXPECT_GT(wave.left[wave.FrameAt(0.95)], 0.95f);
    EXPECT_NEAR(wave.right[wave.FrameAt(1.004)], 0.4f, 0.01f);
}

TEST(SoundtrackPlan, EveryChangeAndAccentLiesOnTheEighthNoteGridInsideTheShow) {
    auto onGrid = [](double t) { return std::fabs(t * 4 - std::round(t * 4)) < 1e-9; };
    for (double t : SectionStarts()) {
        EXPECT_TRUE(onGrid(t)) << t;
        EXPECT_LT(t, kFadeEnd);
    }
    for (double t : AccentTimes()) {
        EXPECT_TRUE(onGrid(t)) << t;
    }
    // The show's scene changes are all section changes.
    for (double t : {13.0, 52.0, 66.5, 79.5, 105.5, 131.5, 157.25}) {
        const std::vector<double> starts = SectionStarts();
        EXPECT_NE(std::find(starts.begin(), starts.end(), t), starts.end()) << t;
    }
    EXPECT_GE(kSoundtrackSeconds, 204.0);
    EXPECT_LE(kSoundtrackSeconds, 206.0);
}

// scripts/measure-soundtrack reads the marks from the generator's listing: it must give back
// exactly the times the arrangement is built on.
TEST(SoundtrackPlan, TheGeneratorListsTheMarksTheArrangementUses) {
    std::FILE* listing = popen(VELLOMIRE_CONTENT_PROGRAM " --list-marks", "r");
    ASSERT_NE(listing, nullptr);
    std::map<std::string, std::vector<double>> listed;
    char kind[16];
    double seconds = 0;
    while (std::fscanf(listing, "%15s %lf", kind, &seconds) == 2) {
        listed[kind].push_back(seconds);
    }
    EXPECT_EQ(pclose(listing), 0);
    const std::map<std::string, std::vector<double>> expected = {
        {"section", SectionStarts()}, {"accent", AccentTimes()},     {"fade", {kFadeStart}},
        {"silence", {kFadeEnd}},      {"end", {kSoundtrackSeconds}},
    };
    EXPECT_EQ(listed, expected);
}

// The piece as written down while rendering: no line rubs a semitone against the pad's chord
// under it, every phrase is played whole, the harmony leaves A minor and comes back, and the
// lead-ins into sections vary (four kinds, never one kind three times running).
TEST(SoundtrackScore, LinesFitTheHarmonyPhrasesAreWholeAndLeadInsVary) {
    Score score;
    MakeSoundtrack(22050, &score);
    auto distance = [](float a, float b) {
        const int d = ((static_cast<int>(std::lround(a - b)) % 12) + 12) % 12;
        return std::min(d, 12 - d);
    };
    int clashes = 0;
    for (const Score::Note& n : score.notes) {
        for (const Score::Harmony& h : score.harmony) {
            if (h.to <= n.time + 1e-6 || h.from >= n.time + n.length - 1e-6) {
                continue;
            }
            const bool chordTone = std::any_of(h.tones.begin(), h.tones.end(),
                                               [&](float t) { return distance(n.note, t) == 0; });
            const bool rubs = std::any_of(h.tones.begin(), h.tones.end(),
                                          [&](float t) { return distance(n.note, t) == 1; });
            if (!chordTone && rubs && ++clashes <= 5) {
                ADD_FAILURE() << "note " << n.note << " at " << n.time
                              << " s against the chord from " << h.from << " s";
            }
        }
    }
    EXPECT_GT(score.notes.size(), 1000u);
    EXPECT_EQ(clashes, 0);
    EXPECT_TRUE(score.cutPhrases.empty())
        << "first cut phrase at " << score.cutPhrases.front() << " s";
    EXPECT_GE(score.keys.size(), 3u);
    EXPECT_EQ(score.keys.front(), 0.0f);
    EXPECT_EQ(score.keys.back(), 0.0f);

    ASSERT_EQ(score.leadIns.size(), 12u);
    EXPECT_EQ(std::set<LeadIn>(score.leadIns.begin(), score.leadIns.end()).size(), 4u);
    for (std::size_t i = 2; i < score.leadIns.size(); ++i) {
        EXPECT_FALSE(score.leadIns[i] == score.leadIns[i - 1] &&
                     score.leadIns[i] == score.leadIns[i - 2])
            << i;
    }
}
