#include "tools/content/Soundtrack.h"

#include "tools/content/AcidLine.h"
#include "tools/content/BusEffects.h"
#include "tools/content/Percussion.h"
#include "tools/content/Voices.h"

#include <cmath>
#include <iterator>
#include <string>

namespace content {

namespace {

constexpr double kBeat = 0.5;         // 120 BPM
constexpr double kStep = kBeat / 4.0; // a sixteenth note
constexpr double kBar = 4 * kBeat;

struct Chord {
    float root;               // bass note (MIDI)
    std::vector<float> tones; // voicing for pads and stabs

    Chord Up(float semitones) const {
        Chord c{root + semitones, tones};
        for (float& t : c.tones) {
            t += semitones;
        }
        return c;
    }
};

const Chord kAm{45, {57, 60, 64, 67}};
const Chord kF{41, {53, 57, 60, 64}};
const Chord kC{48, {55, 60, 64, 67}};
const Chord kG{43, {55, 59, 62, 67}};
const Chord kEm{40, {55, 59, 64, 67}};
const Chord kDm{38, {57, 62, 65, 69}};
const Chord kE{40, {56, 59, 64, 68}}; // the dominant that leads back home to A minor

// Semitones from the pitch class of `a` to that of `b`, 0..6.
int PitchDistance(float a, float b) {
    const int d = ((static_cast<int>(std::lround(a - b)) % 12) + 12) % 12;
    return std::min(d, 12 - d);
}

// `note` if it sits well with the chord (a chord tone, or a whole tone or more from every
// chord tone); otherwise the nearest chord tone, the lower one on a tie.
float Fit(float note, const Chord& chord) {
    std::vector<float> tones = chord.tones;
    tones.push_back(chord.root);
    bool rubs = false;
    for (float t : tones) {
        if (PitchDistance(note, t) == 0) {
            return note;
        }
        rubs = rubs || PitchDistance(note, t) == 1;
    }
    if (!rubs) {
        return note;
    }
    for (float step : {-1.0f, 1.0f, -2.0f, 2.0f}) {
        for (float t : tones) {
            if (PitchDistance(note + step, t) == 0) {
                return note + step;
            }
        }
    }
    return note;
}

// A melody note: start in beats from the phrase start, length in beats, MIDI note.
struct MelodyNote {
    double beat, beats;
    float note;
};

// Four bars over Am F C G.
const std::vector<MelodyNote> kThemeA = {
    {0, 0.75, 76},    {0.75, 0.75, 72}, {1.5, 0.5, 74}, {2, 1, 76},      {3, 1, 79},
    {4, 1.5, 77},     {5.5, 0.5, 76},   {6, 1, 72},     {7, 1, 69},      {8, 0.75, 72},
    {8.75, 0.75, 76}, {9.5, 0.5, 79},   {10, 1.5, 84},  {11.5, 0.5, 81}, {12, 1, 79},
    {13, 1, 74},      {14, 2, 71},
};
// Its answer, two bars over Am F that come home to the tonic's third.
const std::vector<MelodyNote> kAnswerA = {
    {0, 0.75, 76}, {0.75, 0.75, 72}, {1.5, 0.5, 74}, {2, 1, 76},
    {3, 1, 79},    {4, 1, 77},       {5, 1, 76},     {6, 1.75, 72},
};
// The second theme, an octave-high variation over the same chords.
const std::vector<MelodyNote> kThemeB = {
    {0, 0.5, 81}, {0.5, 0.5, 79}, {1, 0.5, 76},   {1.5, 0.5, 79}, {2, 1.5, 81},    {3.5, 0.5, 84},
    {4, 1, 84},   {5, 0.5, 81},   {5.5, 0.5, 79}, {6, 2, 77},     {8, 0.5, 76},    {8.5, 0.5, 79},
    {9, 1, 84},   {10, 1, 81},    {11, 1, 79},    {12, 1.5, 79},  {13.5, 0.5, 81}, {14, 2, 74},
};
const std::vector<MelodyNote> kAnswerB = {
    {0, 0.5, 81}, {0.5, 0.5, 79}, {1, 0.5, 76}, {1.5, 0.5, 79},
    {2, 2, 81},   {4, 1, 84},     {5, 1, 81},   {6, 1.75, 77},
};
// Four bars over F G Em Am.
const std::vector<MelodyNote> kThemeC = {
    {0, 1.5, 72},   {1.5, 0.5, 74}, {2, 1, 76},  {3, 1, 77},  {4, 1.5, 79},
    {5.5, 0.5, 77}, {6, 1, 76},     {7, 1, 74},  {8, 1, 76},  {9, 0.5, 79},
    {9.5, 0.5, 76}, {10, 1, 71},    {11, 1, 74}, {12, 3, 76}, {15, 1, 72},
};

// How a section opens on its first beat.
enum class Hit {
    crash, // cymbal, sub boom and kick
    chord, // the new chord stabbed with a cymbal and kick
    boom,  // sub boom, kick, clap and an open hat
};

class Arranger {
  public:
    explicit Arranger(int rate)
        : drums(rate, kSoundtrackSeconds), bass(rate, kSoundtrackSeconds),
          pads(rate, kSoundtrackSeconds), stabs(rate, kSoundtrackSeconds),
          plucks(rate, kSoundtrackSeconds), lead(rate, kSoundtrackSeconds),
          bells(rate, kSoundtrackSeconds), fx(rate, kSoundtrackSeconds) {}

    Waveform drums, bass, pads, stabs, plucks, lead, bells, fx;
    std::vector<double> kicks; // for the pumping of pads and bass
    std::vector<double> stops; // accents the band falls silent for, a beat before
    Score score;

    void Kick(double t, float gain) {
        Percussion::Kick(drums, t, gain);
        kicks.push_back(t);
    }

    void Accent(double t, float gain, Hit hit, const Chord& chord) {
        switch (hit) {
        case Hit::crash:
            Percussion::Crash(fx, t, 0.55f * gain);
            Percussion::Impact(fx, t, 0.5f * gain);
            break;
        case Hit::chord:
            Percussion::Crash(fx, t, 0.4f * gain);
            Voices::Stab(stabs, t, chord.tones, 0.3f * gain, 1.0f);
            Voices::Stab(stabs, t, {chord.tones[0] + 12, chord.tones[2] + 12}, 0.14f * gain, 1.0f);
            break;
        case Hit::boom:
            Percussion::Impact(fx, t, 0.55f * gain);
            Percussion::Clap(fx, t, 0.6f * gain);
            Percussion::HiHat(fx, t, 0.35f * gain, true, -0.2f);
            break;
        }
        Kick(t, 0.95f * gain);
    }

    // What leads into the accent at `accent`, over the `length` seconds before it.
    void LeadInto(double accent, LeadIn kind, double length, float gain, const Chord& next) {
        score.leadIns.push_back(kind);
        switch (kind) {
        case LeadIn::riser:
            Percussion::Riser(fx, accent - length, accent, 0.22f * gain);
            Percussion::ReverseCrash(fx, accent, std::min(length, 1.5), 0.35f * gain);
            break;
        case LeadIn::stop: // silence, then a snare pick-up on the last sixteenth
            stops.push_back(accent);
            Percussion::Snare(fx, accent - kStep, 0.35f * gain);
            break;
        case LeadIn::fill:
            SnareRoll(accent - length, accent - kBeat, 0.5f * gain);
            for (int i = 0; i < 4; ++i) {
                Percussion::Tom(drums, accent - kBeat + i * kStep,
                                55.0f - 4.0f * static_cast<float>(i), 0.45f * gain,
                                0.45f - 0.3f * static_cast<float>(i));
            }
            break;
        case LeadIn::sweep: {
            std::vector<float> notes = next.tones;
            notes.push_back(next.root + 12);
            Voices::Sweep(fx, accent - length, accent, notes, 0.22f * gain);
            break;
        }
        }
    }

    // A greeting card coming in: a bright chord and a high bell over a cymbal and a kick.
    void Cue(double t, const Chord& chord) {
        Percussion::Crash(fx, t, 0.45f);
        Kick(t, 0.5f);
        Voices::Stab(stabs, t, chord.tones, 0.3f, 1.0f);
        Bell(t, chord.tones[2] + 12, 0.14f, 0.3f);
    }

    // Snare roll over [from, to): sixteenths, then thirty-seconds in the last beat, rising.
    void SnareRoll(double from, double to, float gain) {
        for (double t = from; t < to - 1e-9;) {
            const double u = (t - from) / (to - from);
            Percussion::Snare(drums, t, gain * static_cast<float>(0.25 + 0.75 * u));
            t += (to - t) <= kBeat + 1e-9 ? kStep / 2 : kStep;
        }
    }

    // One bar of drums from 16-step patterns ('x' full, 'o' soft, '.' rest), cut at `end`.
    void DrumBar(double bar, double end, const std::string& kick, const std::string& snare,
                 const std::string& clap, const std::string& hat, const std::string& open,
                 float gain) {
        for (int i = 0; i < 16; ++i) {
            const double t = bar + i * kStep;
            if (t >= end - 1e-9) {
                return;
            }
            auto level = [&](const std::string& p) {
                const char c = p.empty() ? '.' : p[static_cast<std::size_t>(i) % p.size()];
                return c == 'x' ? 1.0f : c == 'o' ? 0.55f : 0.0f;
            };
            if (float g = level(kick)) {
                Kick(t, 0.9f * g * gain);
            }
            if (float g = level(snare)) {
                Percussion::Snare(drums, t, 0.45f * g * gain);
            }
            if (float g = level(clap)) {
                Percussion::Clap(drums, t, 0.7f * g * gain);
            }
            if (float g = level(hat)) {
                Percussion::HiHat(drums, t, 0.26f * g * gain, false, (i % 2) ? 0.3f : -0.2f);
            }
            if (float g = level(open)) {
                Percussion::HiHat(drums, t, 0.2f * g * gain, true, 0.15f);
            }
        }
    }

    void BassNote(double t, double length, float note, float gain, float brightness) {
        Voices::Bass(bass, t, length, note, gain, brightness);
        score.notes.push_back({t, length, note});
    }

    // Bass from a 16-step pattern: digits are semitones above the chord root ('0', '7' fifth,
    // 'c' octave), '.' rest; each note lasts `steps` sixteenths.
    void BassBar(double bar, double end, const Chord& chord, const std::string& pattern, float gain,
                 float brightness, int steps = 1) {
        for (int i = 0; i < 16; ++i) {
            const double t = bar + i * kStep;
            const char c = pattern[static_cast<std::size_t>(i) % pattern.size()];
            if (t >= end - 1e-9 || c == '.') {
                continue;
            }
            const float offset = c == 'c' ? 12.0f : c == '7' ? 7.0f : 0.0f;
            BassNote(t, std::min(steps * kStep * 0.85, end - t), chord.root + offset, gain,
                     brightness);
        }
    }

    void Pluck(double t, float note, float gain, float pan, float brightness) {
        Voices::Pluck(plucks, t, note, gain, pan, brightness);
        score.notes.push_back({t, kStep, note});
    }

    void Bell(double t, float note, float gain, float pan) {
        Voices::Bell(bells, t, note, gain, pan);
        score.notes.push_back({t, kStep, note});
    }

    void Lead(double t, double length, float note, float gain, float fromNote) {
        Voices::Lead(lead, t, length, note, gain, fromNote);
        score.notes.push_back({t, length, note});
    }

    // Arpeggio in sixteenths over the chord's tones, climbing two octaves.
    void Arpeggio(double from, double to, const Chord& chord, float gain, float brightness,
                  int octaveUp = 12) {
        int i = 0;
        for (double t = from; t < to - 1e-9; t += kStep, ++i) {
            const std::size_t n = chord.tones.size();
            const int k = i % static_cast<int>(2 * n);
            const float note = chord.tones[static_cast<std::size_t>(k) % n] +
                               (k >= static_cast<int>(n) ? static_cast<float>(octaveUp) : 0.0f);
            Pluck(t, note + 12, gain, (i % 2) ? 0.45f : -0.45f, brightness);
        }
    }

    // A phrase from `start`; one that does not fit before `end` is noted as cut short.
    void Melody(double start, double end, const std::vector<MelodyNote>& notes, float gain,
                float transpose = 0, double stretch = 1.0) {
        float previous = -1;
        for (const MelodyNote& n : notes) {
            const double t = start + n.beat * kBeat * stretch;
            const double length = n.beats * kBeat * stretch * 0.92;
            if (t + length > end + 1e-9) {
                score.cutPhrases.push_back(start);
                return;
            }
            const float note = n.note + transpose;
            Lead(t, length, note, gain,
                 previous > 0 && std::fabs(previous - note) <= 5 ? previous : -1.0f);
            previous = note;
        }
    }

    void Pad(double from, double to, const Chord& chord, float gain, float brightness) {
        Voices::Pad(pads, from, to - from, chord.tones, gain, brightness);
        Harmony(from, to, chord);
    }

    void Harmony(double from, double to, const Chord& chord) {
        std::vector<float> tones = chord.tones;
        tones.push_back(chord.root);
        score.harmony.push_back({from, to, tones});
    }

    void Key(float semitones) {
        if (score.keys.empty() || score.keys.back() != semitones) {
            score.keys.push_back(semitones);
        }
    }
};

// Chord of a bar in a repeating progression, in the key `semitones` above A minor.
Chord ChordAt(const std::vector<const Chord*>& progression, int bar, float semitones = 0) {
    return progression[static_cast<std::size_t>(bar) % progression.size()]->Up(semitones);
}

void Intro(Arranger& a) {
    a.Key(0);
    const std::vector<const Chord*> slow = {&kAm, &kF, &kC, &kG};
    const double changes[] = {section::kIntro, 4, 8, 11, section::kEmerge};
    for (int i = 0; i < 4; ++i) {
        const Chord& chord = *slow[static_cast<std::size_t>(i)];
        const float bright = 0.05f + 0.1f * static_cast<float>(i);
        a.Pad(changes[i], changes[i + 1], chord, 0.22f, bright);
        a.BassNote(changes[i], changes[i + 1] - changes[i] - 0.05, chord.root, 0.16f, 0.15f);
        a.Arpeggio(changes[i] < 4 ? 4 : changes[i], changes[i + 1], chord,
                   0.05f + 0.02f * static_cast<float>(i), 0.2f + 0.15f * static_cast<float>(i));
    }
    const float bellNotes[] = {76, 81, 79, 84, 81, 79};
    for (int i = 0; i < 6; ++i) {
        a.Bell(0.5 + 2.0 * i, bellNotes[i], 0.12f, i % 2 ? 0.5f : -0.5f);
    }
    a.LeadInto(section::kEmerge, LeadIn::riser, 4, 1.0f, kAm);
}

void Emerge(Arranger& a) {
    const std::vector<const Chord*> prog = {&kAm, &kF, &kC, &kG};
    const double start = section::kEmerge, end = section::kDrop;
    a.Accent(start, 0.9f, Hit::boom, kAm);
    for (int bar = 0; start + bar * kBar < end; ++bar) {
        const double t = start + bar * kBar;
        const Chord chord = ChordAt(prog, bar);
        const bool last = t + kBar >= end - 1e-9;
        const double grooveEnd = last ? end - kBeat : end;
        a.DrumBar(t, grooveEnd, "x...x...x...x...", "", "",
                  bar < 2 ? "..x...x...x...x." : "o.x.o.x.o.x.o.xo", "", 0.75f);
        const float bright = 0.3f + 0.08f * static_cast<float>(bar);
        a.BassBar(t, grooveEnd, chord, "..0...0...0...0.", 0.34f, bright);
        a.Pad(t, std::min(end, t + kBar), chord, 0.16f, 0.2f + 0.05f * static_cast<float>(bar));
        a.Arpeggio(t, std::min(end, t + kBar), chord, 0.07f,
                   0.4f + 0.06f * static_cast<float>(bar));
    }
    a.LeadInto(end, LeadIn::fill, 2, 1.0f, kAm);
}

// A theme whole, its two-bar answer, and a half bar for the lead-in.
void Drop(Arranger& a, double start, double end, const std::vector<MelodyNote>& theme,
          const std::vector<MelodyNote>& answer, bool second, float key, Hit hit) {
    const std::vector<const Chord*> prog = {&kAm, &kF, &kC, &kG};
    a.Key(key);
    a.Accent(start, 1.0f, hit, ChordAt(prog, 0, key));
    for (int bar = 0; start + bar * kBar < end - 1e-9; ++bar) {
        const double t = start + bar * kBar;
        const Chord chord = ChordAt(prog, bar, key);
        const bool last = t + kBar >= end - 1e-9;
        const double grooveEnd = last ? end - kBeat : end;
        a.DrumBar(t, grooveEnd, "x...x...x...x...", "", "....x.......x...", "xoxoxoxoxoxoxoxo",
                  "..x...x...x...x.", 1.0f);
        if (second) {
            for (int i = 0; i < 4; ++i) {
                Percussion::HiHat(a.drums, t + i * kBeat + 3 * kStep, 0.08f, false, 0.6f);
            }
        }
        a.BassBar(t, grooveEnd, chord, second ? "0.c0.0c.0.c0.0c." : "..0c..0c..0c..0c", 0.45f,
                  0.85f);
        a.Pad(t, std::min(end, t + kBar), chord, 0.15f, 0.45f);
        if (second) {
            a.Arpeggio(t, std::min(end, t + kBar), chord, 0.06f, 0.8f, 12);
            for (double s : {0.75, 2.75}) {
                Voices::Stab(a.stabs, t + s * kBeat * 2, chord.tones, 0.16f, 0.7f);
            }
        } else {
            for (double s : {1.5, 3.5}) {
                Voices::Stab(a.stabs, t + s * kBeat, chord.tones, 0.13f, 0.5f);
            }
        }
    }
    a.Melody(start, end - kBeat, theme, second ? 0.26f : 0.24f, key);
    a.Melody(start + 4 * kBar, end - kBeat, answer, second ? 0.26f : 0.24f, key);
}

void Swells(Arranger& a) {
    const double start = section::kSwells, end = section::kAcid;
    constexpr std::size_t count = std::size(kSwellPeaks);
    const Chord* chords[count] = {&kAm, &kAm, &kF, &kC, &kG};
    const float leadNotes[count] = {76, 79, 77, 84, 83};
    const Hit hits[count] = {Hit::crash, Hit::chord, Hit::boom, Hit::chord, Hit::crash};
    for (std::size_t i = 0; i < count; ++i) {
        const double t = kSwellPeaks[i];
        const double next = i + 1 < count ? kSwellPeaks[i + 1] : end;
        a.Accent(t, i == 0 ? 1.0f : 0.85f, hits[i], *chords[i]);
        Voices::Stab(a.stabs, t, chords[i]->tones, 0.32f, 1.0f);
        a.BassNote(t, next - t - 0.3, chords[i]->root, 0.5f, 0.7f);
        a.Pad(t, next, *chords[i], 0.14f, 0.35f);
        a.Lead(t, std::min(1.2, next - t - 0.3), leadNotes[i], 0.22f, -1);
        if (i > 0) {
            Percussion::ReverseCrash(a.fx, t, 0.75, 0.3f);
        }
        // Half-time groove between the swells, quiet in the quarter second before the next.
        for (double g = t + kBeat; g < next - 0.25 - 1e-9; g += kStep) {
            const int step = static_cast<int>(std::lround((g - start) / kStep));
            if (step % 16 == 0 || step % 16 == 10) {
                a.Kick(g, 0.75f);
            }
            if (step % 16 == 8) {
                Percussion::Snare(a.drums, g, 0.45f);
            }
            if (step % 2 == 0) {
                Percussion::HiHat(a.drums, g, step % 4 == 2 ? 0.14f : 0.07f, false, 0.2f);
            }
        }
    }
    a.LeadInto(end, LeadIn::fill, 1.0, 0.9f, kAm);
}

void Acid(Arranger& a) {
    const double start = section::kAcid, end = section::kFloat;
    a.Accent(start, 0.95f, Hit::crash, kAm);
    const char* notes = "0c0370c0a0c75c30"; // per sixteenth: semitones (a = 10) over the root
    const char* accents = "x..x..x...x..x.x";
    const char* slides = "....s.....s...s.";
    std::vector<AcidStep> steps;
    int bar = 0;
    for (double t = start; t < end - kBeat - 1e-9; t += kBar, ++bar) {
        const bool last = t + kBar >= end - 1e-9;
        const double grooveEnd = last ? end - 0.25 : end;
        a.DrumBar(t, grooveEnd, "x.....x...x.....", "....x.......x..o", "", "xxoxxxoxxxoxxxox", "",
                  1.0f);
        const Chord& chord = bar % 4 == 3 ? kF : bar % 4 == 2 ? kG : kAm;
        for (int i = 0; i < 16; ++i) {
            const double s = t + i * kStep;
            if (s >= grooveEnd - 1e-9) {
                break;
            }
            const char c = notes[i];
            const float offset = c == 'c' ? 12.0f : c == 'a' ? 10.0f : static_cast<float>(c - '0');
            const double length = kStep * (slides[(i + 1) % 16] == 's' ? 1.05 : 0.55);
            const float note = Fit(chord.root - 12 + offset, chord);
            steps.push_back({s, length, note, accents[i] == 'x', slides[i] == 's'});
            a.score.notes.push_back({s, length, note});
        }
        a.Pad(t, std::min(end, t + kBar), chord, 0.1f, 0.25f);
        Voices::Stab(a.stabs, t + 6 * kStep, chord.tones, 0.1f, 0.6f);
    }
    AcidLine(a.bass, steps, 0.32f, 260.0f, 5.5f);
    a.LeadInto(end, LeadIn::sweep, 2.0, 0.9f, kDm);
}

void Float(Arranger& a) { // in C major
    const double start = section::kFloat, end = section::kAnthem;
    a.Key(3);
    a.Accent(start, 0.75f, Hit::chord, kDm);
    const std::vector<const Chord*> prog = {&kDm, &kG, &kC, &kF};
    for (int bar = 0; start + bar * kBar < end - 1e-9; ++bar) {
        const double t = start + bar * kBar;
        const Chord chord = ChordAt(prog, bar / 2);
        const bool building = t >= 101.5 - 1e-9;
        const double grooveEnd = t + kBar >= end - 1e-9 ? end - kBeat : end;
        a.DrumBar(t, grooveEnd, building ? "x...x...x...x..." : "x.........x.....", "",
                  "........x.......", "o.o.o.o.o.o.o.o.", "", 0.8f);
        a.BassBar(t, grooveEnd, chord, "0.......0...0...", 0.38f, 0.25f, 4);
        if (bar % 2 == 0) {
            a.Pad(t, std::min(end, t + 2 * kBar), chord, 0.2f, 0.3f);
        }
        for (int i = 0; i < 8; ++i) {
            const double s = t + i * 2 * kStep;
            if (s >= end - 1e-9) {
                break;
            }
            const std::size_t n = chord.tones.size();
            a.Pluck(s, chord.tones[(static_cast<std::size_t>(i) * 3) % n] + 12, 0.08f,
                    i % 2 ? 0.6f : -0.6f, 0.45f);
        }
    }
    const float bellLine[] = {76, 79, 81, 76, 74, 72, 71, 76, 79, 84, 83, 79};
    for (int i = 0; i < 12; ++i) {
        const double t = start + 1.0 + 1.75 * i;
        const int bar = static_cast<int>((t - start) / kBar);
        a.Bell(t, Fit(bellLine[i], ChordAt(prog, bar / 2)), 0.1f, i % 2 ? 0.4f : -0.4f);
    }
    a.LeadInto(end, LeadIn::riser, 4, 1.0f, kF);
}

void Anthem(Arranger& a) {
    const double start = section::kAnthem, end = section::kTunnel;
    a.Key(0);
    a.Accent(start, 1.0f, Hit::crash, kF);
    const std::vector<const Chord*> prog = {&kF, &kG, &kEm, &kAm};
    for (int bar = 0; start + bar * kBar < end - 1e-9; ++bar) {
        const double t = start + bar * kBar;
        const Chord chord = ChordAt(prog, bar);
        const double grooveEnd = t + kBar >= end - 1e-9 ? end - 0.25 : end;
        a.DrumBar(t, grooveEnd, "x...x...x...x...", "", "....x.......x...", "xoxoxoxoxoxoxoxo",
                  "..x...x...x...x.", 1.0f);
        a.BassBar(t, grooveEnd, chord, "..0c..0c..0c..07", 0.45f, 0.8f);
        a.Pad(t, std::min(end, t + kBar), chord, 0.15f, 0.5f);
        for (int i : {0, 3, 6, 10, 13}) {
            if (t + i * kStep < grooveEnd) {
                Voices::Stab(a.stabs, t + i * kStep, chord.tones, 0.1f, 0.55f);
            }
        }
    }
    // Each greeting card comes in on a cue.
    for (double t : kCardEntrances) {
        a.Cue(t, ChordAt(prog, static_cast<int>((t - start) / kBar)));
    }
    a.Melody(start, end, kThemeC, 0.25f);
    a.Melody(start + 4 * kBar, end, kThemeC, 0.25f, 12);
    a.Melody(start + 8 * kBar, end - 0.25, kThemeC, 0.25f);
    a.LeadInto(end, LeadIn::stop, kBeat, 1.0f, kAm);
}

// In A minor, then after the flash a tone higher, in B minor.
void Tunnel(Arranger& a, double start, double end, bool second) {
    const float key = second ? 2.0f : 0.0f;
    a.Key(key);
    const std::vector<const Chord*> prog = second ? std::vector<const Chord*>{&kAm, &kF, &kC, &kG}
                                                  : std::vector<const Chord*>{&kAm, &kAm, &kF, &kG};
    a.Accent(start, 1.0f, second ? Hit::chord : Hit::boom, ChordAt(prog, 0, key));
    int bar = 0;
    for (double t = start; t < end - 1e-9; t += kBar, ++bar) {
        const Chord chord = ChordAt(prog, bar, key);
        const double grooveEnd = t + kBar >= end - 1e-9 ? end - kBeat : end;
        a.DrumBar(t, grooveEnd, "x...x...x...x...", "", second ? "....x.......x..." : "",
                  "xxoxxxoxxxoxxxox", second ? "..x...x...x...x." : "", 1.0f);
        a.BassBar(t, grooveEnd, chord, ".000.000.00c.000", 0.38f,
                  second ? 0.8f : 0.45f + 0.07f * static_cast<float>(bar));
        a.Pad(t, std::min(end, t + kBar), chord, 0.12f, 0.4f);
        // A three-note figure in sixteenths against the four-beat bar.
        int i = 0;
        for (double s = t; s < std::min(end, t + kBar) - 1e-9; s += kStep, ++i) {
            const float figure[3] = {chord.tones[0] + 12, chord.tones[2] + 12, chord.tones[1] + 24};
            a.Pluck(s, figure[i % 3], 0.07f, static_cast<float>(i % 3 - 1) * 0.5f,
                    second ? 0.9f : 0.3f + 0.08f * static_cast<float>(bar));
        }
    }
    if (second) {
        a.Melody(start, end - kBeat, kThemeB, 0.24f, key);
        a.Melody(start + 4 * kBar, end - kBeat, kAnswerB, 0.24f, key);
        a.LeadInto(end, LeadIn::sweep, 1.5, 1.0f, kAm.Up(key));
    } else {
        a.LeadInto(end, LeadIn::fill, 1.5, 1.0f, kAm.Up(2));
    }
}

// Still in B minor; a lighter groove under the still board.
void Puzzle(Arranger& a) {
    const double start = section::kPuzzle, end = section::kBuild;
    const float key = 2;
    const std::vector<const Chord*> prog = {&kAm, &kF, &kC, &kG};
    a.Accent(start, 1.0f, Hit::crash, ChordAt(prog, 0, key));
    const float hops[16] = {69, 72, 76, 72, 74, 76, 79, 76, 81, 79, 76, 74, 72, 74, 76, 79};
    int bar = 0;
    for (double t = start; t < end - 1e-9; t += kBar, ++bar) {
        const Chord chord = ChordAt(prog, bar, key);
        const double grooveEnd = t + kBar >= end - 1e-9 ? end - kBeat : end;
        a.DrumBar(t, grooveEnd, "x.......x.......", "", "....x.......x...", "o.o.o.o.o.o.o.o.", "",
                  0.85f);
        a.BassBar(t, grooveEnd, chord, "0.......7...c...", 0.4f, 0.45f, 3);
        a.Pad(t, std::min(end, t + kBar), chord, 0.14f, 0.35f);
        for (int i = 0; i < 16; i += 2) {
            const double s = t + i * kStep;
            if (s >= grooveEnd - 1e-9 || i % 8 == 6) {
                continue;
            }
            a.Bell(s, Fit(hops[i] + key, chord), 0.11f, (static_cast<float>(i % 4) - 1.5f) * 0.3f);
        }
    }
    a.Melody(start + 4 * kBar, end - 0.25, kThemeA, 0.18f, 12 + key);
    a.LeadInto(end, LeadIn::stop, kBeat, 1.0f, kE);
}

// The build on the dominant, then the outro under the thanks.
void Finale(Arranger& a) {
    const double build = section::kBuild, start = section::kOutro;
    a.Key(0);
    a.Accent(build, 0.9f, Hit::chord, kE);
    a.Harmony(build, start, kE);
    for (double t = build; t < start - 0.25 - 1e-9; t += kBeat / 2) {
        a.Kick(t, 0.55f + 0.2f * static_cast<float>((t - build) / 2.0));
    }
    a.SnareRoll(build, start, 0.55f);
    a.LeadInto(start, LeadIn::riser, 2.25, 1.1f, kAm);

    a.Accent(start, 1.0f, Hit::crash, kAm);
    const std::vector<const Chord*> prog = {&kAm, &kF, &kC, &kG};
    for (int i = 0; i < 5; ++i) {
        const double t = start + i * 2 * kBar;
        const Chord chord = ChordAt(prog, i);
        a.Pad(t, t + 2 * kBar, chord, 0.22f, 0.45f);
        a.BassNote(t, 2 * kBar - 0.1, chord.root, 0.35f, 0.3f);
        if (t < 195) {
            for (int b = 0; b < 8; ++b) {
                a.Kick(t + b * kBeat, b % 2 ? 0.45f : 0.6f);
                Percussion::HiHat(a.drums, t + b * kBeat + kBeat / 2, 0.1f, true, 0.2f);
            }
        }
        a.Arpeggio(t, t + 2 * kBar, chord, 0.04f, 0.35f);
    }
    a.Melody(start, kFadeEnd, kThemeA, 0.22f, 0, 2.0);
    for (int i = 0; i < 4; ++i) {
        const double t = 195.0 + i * 1.5;
        a.Bell(t,
               Fit(84.0f - 3.0f * static_cast<float>(i),
                   ChordAt(prog, static_cast<int>((t - start) / (2 * kBar)))),
               0.1f, i % 2 ? 0.5f : -0.5f);
    }
}

// The band falls silent over the beat before each of `stops`: a fade of a few milliseconds
// down, silence, and back at the accent.
void Silence(Waveform& bus, const std::vector<double>& stops) {
    const double fade = 0.006;
    for (double accent : stops) {
        const std::size_t from = bus.FrameAt(accent - kBeat), to = bus.FrameAt(accent);
        const std::size_t fadeFrames = static_cast<std::size_t>(fade * bus.sampleRate);
        for (std::size_t i = from; i < to && i < bus.Frames(); ++i) {
            const float g = i - from < fadeFrames ? 1.0f - static_cast<float>(i - from) /
                                                               static_cast<float>(fadeFrames)
                                                  : 0.0f;
            bus.left[i] *= g;
            bus.right[i] *= g;
        }
    }
}

} // namespace

Waveform MakeSoundtrack(int sampleRate, Score* score) {
    Arranger a(sampleRate);
    Intro(a);
    Emerge(a);
    Drop(a, section::kDrop, section::kSecondDrop, kThemeA, kAnswerA, false, 0, Hit::crash);
    a.LeadInto(section::kSecondDrop, LeadIn::stop, kBeat, 1.0f, kAm);
    Drop(a, section::kSecondDrop, section::kSwells, kThemeB, kAnswerB, true, 0, Hit::chord);
    a.LeadInto(section::kSwells, LeadIn::riser, 2, 1.0f, kAm);
    Swells(a);
    Acid(a);
    Float(a);
    Anthem(a);
    Tunnel(a, section::kTunnel, section::kTunnelHigh, false);
    Tunnel(a, section::kTunnelHigh, section::kPuzzle, true);
    Puzzle(a);
    Finale(a);

    HighPass(a.bass, 38);
    HighPass(a.pads, 220);
    HighPass(a.stabs, 160);
    HighPass(a.plucks, 280);
    HighPass(a.bells, 300);
    HighPass(a.lead, 180);
    Duck(a.bass, a.kicks, 0.5f, 0.12);
    Duck(a.pads, a.kicks, 0.6f, 0.18);
    Duck(a.plucks, a.kicks, 0.35f, 0.12);
    Duck(a.stabs, a.kicks, 0.25f, 0.1);
    PingPongDelay(a.plucks, 0.375, 0.38f, 0.35f, 3500);
    PingPongDelay(a.lead, 0.375, 0.3f, 0.22f, 3000);
    PingPongDelay(a.bells, 0.375, 0.4f, 0.35f, 4000);
    Reverb(a.pads, 0.85f, 0.5f, 0.35f);
    Reverb(a.lead, 0.7f, 0.5f, 0.25f);
    Reverb(a.stabs, 0.8f, 0.4f, 0.3f);
    Reverb(a.bells, 0.85f, 0.4f, 0.4f);
    Reverb(a.plucks, 0.6f, 0.5f, 0.2f);
    Reverb(a.fx, 0.7f, 0.5f, 0.2f);
    for (Waveform* bus : {&a.drums, &a.bass, &a.pads, &a.stabs, &a.plucks, &a.lead, &a.bells}) {
        Silence(*bus, a.stops);
    }

    Waveform mix(sampleRate, kSoundtrackSeconds);
    mix.Mix(a.drums, 0.8f);
    mix.Mix(a.bass, 0.38f);
    mix.Mix(a.pads, 0.9f);
    mix.Mix(a.stabs, 1.4f);
    mix.Mix(a.plucks, 1.6f);
    mix.Mix(a.lead, 2.2f);
    mix.Mix(a.bells, 1.4f);
    mix.Mix(a.fx, 0.9f);

    FadeOut(mix, kFadeStart, kFadeEnd);
    // Loudness to target, then peaks under the ceiling; the limiter takes a little loudness
    // away, so repeat a few times.
    for (int pass = 0; pass < 4; ++pass) {
        const double loudness = IntegratedLoudness(mix);
        ApplyGain(mix, static_cast<float>(std::pow(10.0, (kTargetLoudness - loudness) / 20.0)));
        Limit(mix, kPeakCeiling, 0.004, 0.08);
    }
    if (score) {
        *score = a.score;
    }
    return mix;
}

} // namespace content
