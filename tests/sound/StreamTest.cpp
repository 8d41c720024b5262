#include "sound/SoundStream.h"
#include "sound/SoundSystem.h"
#include "sound/audio/AudioLibrary.h"
#include "support/Mp3Fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Fixture {
    const char* name;
    ToneSpec spec;
    DWORD frequency;
    bool mono;
    DWORD byteRate;
};

const Fixture fixtures[] = {
    {"44k-stereo", {44100, 2, 3 * 44100 + 17, false, false}, 44100, false, 176400},
    {"22k-mono", {22050, 1, 2 * 22050 + 301, false, false}, 22050, true, 44100},
    {"48k-stereo", {48000, 2, 2 * 48000 + 5, false, false}, 48000, false, 192000},
    {"vbr-id3", {44100, 2, 3 * 44100 + 1000, true, true}, 44100, false, 176400},
};

class StreamTest : public testing::Test {
  protected:
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = folder.File(name);
        WriteBytes(path, bytes);
        return path;
    }
    std::string Write(const Fixture& f) {
        return Write(std::string(f.name) + ".mp3", MakeToneMp3(f.spec));
    }

    TempFolder folder;
    SoundSystem system;
    SoundStream stream;
};

// The byte rate as the driver works it out from the channel's attributes and flags.
DWORD ByteRate(SoundSystem& system, DWORD handle) {
    DWORD frequency = 0;
    EXPECT_EQ(system.GetChannelAttributes(handle, &frequency, nullptr, nullptr), 0);
    const DWORD flags = system.GetChannelFlags(handle);
    return frequency * ((flags & BASS_SAMPLE_MONO) ? 1 : 2) * ((flags & BASS_SAMPLE_8BITS) ? 1 : 2);
}

} // namespace

TEST_F(StreamTest, FrequencyAndFlagsReadBackAndGiveTheByteRate) {
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        ASSERT_EQ(stream.CreateFromFile(false, Write(f).c_str(), 0, 0), 0);
        DWORD frequency = 0;
        DWORD volume = 0;
        int pan = 1;
        EXPECT_EQ(system.GetChannelAttributes(stream.GetHandle(), &frequency, &volume, &pan), 0);
        EXPECT_EQ(frequency, f.frequency);
        EXPECT_EQ(volume, 100u);
        EXPECT_EQ(pan, 0);
        EXPECT_EQ((system.GetChannelFlags(stream.GetHandle()) & BASS_SAMPLE_MONO) != 0, f.mono);
        EXPECT_EQ(ByteRate(system, stream.GetHandle()), f.byteRate);
        stream.Free();
    }
}

TEST_F(StreamTest, MonoEightBitStreamHasOneByteAFrame) {
    const HSTREAM handle = BASS_StreamCreateFile(FALSE, Write(fixtures[0]).c_str(), 0, 0,
                                                 BASS_SAMPLE_MONO | BASS_SAMPLE_8BITS);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(ByteRate(system, handle), 44100u);
    EXPECT_EQ(BASS_StreamGetLength(handle), fixtures[0].spec.frames);
    BASS_StreamFree(handle);
}

// Gapless: neither the encoder's delay nor its padding is part of the stream.
TEST_F(StreamTest, DecodedLengthIsTheEncodedSampleCount) {
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        ASSERT_EQ(stream.CreateFromFile(false, Write(f).c_str(), 0, 0), 0);
        const DWORD expected = static_cast<DWORD>(f.spec.frames * f.spec.channels * 2);
        EXPECT_EQ(BASS_StreamGetLength(stream.GetHandle()), expected);
        std::vector<std::uint8_t> buffer(10000);
        DWORD total = 0;
        for (;;) {
            const DWORD n = BASS_ChannelGetData(stream.GetHandle(), buffer.data(), 10000);
            ASSERT_NE(n, 0xFFFFFFFFu);
            if (n == 0) {
                break;
            }
            total += n;
        }
        EXPECT_EQ(total, expected);
        EXPECT_EQ(system.GetChannelPosition(stream.GetHandle()), expected);
        stream.Free();
    }
}

// The decoded tone lines up with the samples that were encoded: shifted by one sample either
// way it matches worse.
TEST_F(StreamTest, DecodedToneLinesUpWithTheSourceSamples) {
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        ASSERT_EQ(stream.CreateFromFile(false, Write(f).c_str(), 0, 0), 0);
        const std::vector<std::int16_t> source = ToneSamples(f.spec);
        std::vector<std::int16_t> decoded(source.size());
        const DWORD bytes = static_cast<DWORD>(decoded.size() * 2);
        ASSERT_EQ(BASS_ChannelGetData(stream.GetHandle(), decoded.data(), bytes), bytes);
        const std::size_t channels = static_cast<std::size_t>(f.spec.channels);
        auto error = [&](int shift) {
            double sum = 0;
            for (std::size_t i = 2000; i + 2000 < f.spec.frames; ++i) {
                for (std::size_t c = 0; c < channels; ++c) {
                    const std::size_t at = (i + static_cast<std::size_t>(shift)) * channels + c;
                    sum += std::abs(decoded[at] - source[i * channels + c]);
                }
            }
            return sum;
        };
        EXPECT_LT(error(0), error(-1) * 0.8);
        EXPECT_LT(error(0), error(1) * 0.8);
        stream.Free();
    }
}

TEST_F(StreamTest, SeekingIsSampleExact) {
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.name);
        ASSERT_EQ(stream.CreateFromFile(false, Write(f).c_str(), 0, 0), 0);
        const DWORD frameBytes = static_cast<DWORD>(f.spec.channels * 2);
        std::vector<std::uint8_t> all(BASS_StreamGetLength(stream.GetHandle()));
        ASSERT_EQ(
            BASS_ChannelGetData(stream.GetHandle(), all.data(), static_cast<DWORD>(all.size())),
            all.size());
        for (DWORD frame : {0u, 1u, 1151u, 12345u, static_cast<DWORD>(f.spec.frames - 10)}) {
            ASSERT_EQ(system.SetChannelPosition(stream.GetHandle(), frame * frameBytes), 0);
            EXPECT_EQ(system.GetChannelPosition(stream.GetHandle()), frame * frameBytes);
            std::vector<std::uint8_t> part(10 * frameBytes);
            ASSERT_EQ(BASS_ChannelGetData(stream.GetHandle(), part.data(), 10 * frameBytes),
                      10 * frameBytes);
            EXPECT_TRUE(std::equal(part.begin(), part.end(), all.begin() + frame * frameBytes))
                << "frame " << frame;
        }
        EXPECT_EQ(system.SetChannelPosition(stream.GetHandle(), static_cast<DWORD>(all.size()) + 4),
                  -15);
        EXPECT_EQ(system.SetChannelPosition(0xBAD, 0), -15);
        stream.Free();
    }
}

TEST_F(StreamTest, FilesThatCannotBeStreamedGiveMinus11) {
    const std::vector<std::uint8_t> mp3 = MakeToneMp3(fixtures[0].spec);
    const std::string text = "This is a text file, not an MP3 stream.\n";
    std::vector<std::uint8_t> wav(44 + 8000);
    for (std::size_t i = 0; i < wav.size(); ++i) {
        wav[i] = static_cast<std::uint8_t>(i * 7919 >> 3); // noise-like bytes
    }
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"missing", folder.File("missing.mp3")},
        {"truncated", Write("truncated.mp3", {mp3.begin(), mp3.begin() + 200})},
        {"empty", Write("empty.mp3", {})},
        {"text", Write("text.mp3", {text.begin(), text.end()})},
        {"noise", Write("noise.mp3", wav)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stream.CreateFromFile(false, c.path.c_str(), 0, 0), -11) << c.name;
        EXPECT_EQ(stream.GetHandle(), 0u) << c.name;
    }
    EXPECT_EQ(std::string(DescribeSoundError(-11)),
              "Could not stream the specified file. Does it exist or is it corrupt perhaps?");
    EXPECT_EQ(BASS_StreamCount(), 0);
}

// Junk before the first frame (after any ID3v2 tag) is passed over up to 65,535 bytes.
TEST_F(StreamTest, TheFirstFrameIsLookedForUpToALimit) {
    const struct {
        std::size_t junk;
        bool id3;
        int result;
    } cases[] = {{65535, false, 0}, {65536, false, -11}, {65535, true, 0}, {65536, true, -11}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.junk << (c.id3 ? " after a tag" : ""));
        const std::vector<std::uint8_t> mp3 = MakeToneMp3({44100, 2, 44100, false, c.id3});
        std::vector<std::uint8_t> bytes(mp3.begin(), mp3.end());
        const std::size_t tag = c.id3 ? 10 + (std::size_t{mp3[8]} << 7 | mp3[9]) : 0;
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(tag), c.junk, 0);
        EXPECT_EQ(stream.CreateFromFile(false, Write("junk.mp3", bytes).c_str(), 0, 0), c.result);
        stream.Free();
    }
}

// Decoded frames of a stream read to its end with the pull interface.
std::uint64_t FramesDecoded(DWORD handle, DWORD frameBytes) {
    std::vector<std::uint8_t> buffer(1 << 16);
    std::uint64_t total = 0;
    while (const DWORD n = BASS_ChannelGetData(handle, buffer.data(), 1 << 16)) {
        if (n == 0xFFFFFFFFu) {
            break;
        }
        total += n;
    }
    return total / frameBytes;
}

std::vector<std::uint8_t> Joined(std::vector<std::uint8_t> head,
                                 const std::vector<std::uint8_t>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Damage part-way is skipped and the music after it still plays; a gap of several MiB ends the
// stream there instead of being searched through. A part at another sample rate
// is resampled to the stream's rate, so it lasts as long as it should.
TEST_F(StreamTest, DamagedAndRateChangingFilesPlayTheirWholeLength) {
    const ToneSpec first{44100, 2, 44100 * 2, false, false};
    const ToneSpec second{22050, 2, 22050 * 2, false, false};
    std::vector<std::uint8_t> damaged = MakeToneMp3({44100, 2, 44100 * 10, false, false});
    const std::size_t at = 4 * 16000; // about 4 s in at 128 kbit/s
    ASSERT_GT(damaged.size(), at + 65536);
    std::fill_n(damaged.begin() + at, 65536, 0);
    std::vector<std::uint8_t> gapped = MakeToneMp3({44100, 2, 44100 * 10, false, false});
    gapped.insert(gapped.begin() + at, 4 << 20, 0);
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        int rate;       // of the whole stream: its first part's
        double seconds; // heard
        double slack;   // frames lost in the damage, and the frames of the joint
    } cases[] = {
        {"zeros-4s-in", damaged, 44100, 10.0 - 65536 / 16000.0, 0.15},
        {"4-mib-gap-4s-in", gapped, 44100, 4.0, 0.15},
        {"rate-falls", Joined(MakeToneMp3(first), MakeToneMp3(second)), 44100, 4.0, 0.1},
        {"rate-rises", Joined(MakeToneMp3(second), MakeToneMp3(first)), 22050, 4.0, 0.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(stream.CreateFromFile(false, Write(std::string(c.name) + ".mp3", c.bytes).c_str(),
                                        0, 0),
                  0);
        EXPECT_EQ(ByteRate(system, stream.GetHandle()), static_cast<DWORD>(c.rate * 4));
        const double heard = static_cast<double>(FramesDecoded(stream.GetHandle(), 4)) / c.rate;
        EXPECT_NEAR(heard, c.seconds, c.slack);
        stream.Free();
    }
}

// Once the rate changes part-way, the stream's length is still what decoding gives, and a seek
// into either part lands on the sample that reading through reaches.
TEST_F(StreamTest, RateChangingStreamsHaveTheirDecodedLengthAndSeekExactly) {
    const std::vector<std::uint8_t> at44 = MakeToneMp3({44100, 2, 44100 * 2, false, false});
    const std::vector<std::uint8_t> at48 = MakeToneMp3({48000, 2, 48000 * 2, false, false});
    for (const auto& [name, bytes] : {std::pair{"44.1-then-48", Joined(at44, at48)},
                                      std::pair{"48-then-44.1", Joined(at48, at44)}}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(stream.CreateFromFile(false, Write("joined.mp3", bytes).c_str(), 0, 0), 0);
        const HSTREAM handle = stream.GetHandle();
        const DWORD length = BASS_StreamGetLength(handle);
        std::vector<std::uint8_t> whole(length + 65536);
        DWORD got = 0;
        for (DWORD n = 0; got + 65536 <= whole.size() &&
                          (n = BASS_ChannelGetData(handle, whole.data() + got, 65536)) != 0 &&
                          n != 0xFFFFFFFFu;) {
            got += n;
        }
        EXPECT_EQ(got, length);
        for (const DWORD at : {length / 4 / 4 * 4, length / 4 * 3 / 4 * 4}) {
            ASSERT_EQ(system.SetChannelPosition(handle, at), 0);
            std::vector<std::uint8_t> part(4096);
            ASSERT_EQ(BASS_ChannelGetData(handle, part.data(), 4096), 4096u);
            EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + at)) << at;
        }
        stream.Free();
    }
}

TEST_F(StreamTest, WindowsPathsAndFileRangesAreAccepted) {
    const std::vector<std::uint8_t> mp3 = MakeToneMp3(fixtures[0].spec);
    std::vector<std::uint8_t> padded(1000 + mp3.size() + 500, 0xAA);
    std::copy(mp3.begin(), mp3.end(), padded.begin() + 1000);
    Write("Padded.mp3", padded);
    std::string path = folder.File("Padded.mp3");
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    ASSERT_EQ(stream.CreateFromFile(false, path.c_str(), 1000, static_cast<DWORD>(mp3.size())), 0);
    EXPECT_EQ(BASS_StreamGetLength(stream.GetHandle()), fixtures[0].spec.frames * 4);
    stream.Free();
}

TEST_F(StreamTest, FromMemoryWithARangeIsRefusedWithoutAskingTheLibrary) {
    const std::vector<std::uint8_t> mp3 = MakeToneMp3(fixtures[0].spec);
    BASS_ChannelGetFlags(0xBAD); // leaves a known error number behind
    ASSERT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(stream.CreateFromFile(true, mp3.data(), 10, 0), -10);
    EXPECT_EQ(stream.CreateFromFile(true, mp3.data(), 0, static_cast<DWORD>(mp3.size())), -10);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(BASS_StreamCount(), 0);

    // Offset and length 0 reach the library, which has no bytes to stream.
    EXPECT_EQ(stream.CreateFromFile(true, mp3.data(), 0, 0), -11);
    EXPECT_NE(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_NE(BASS_ErrorGetCode(), BASS_OK);

    // The library itself streams from memory (a copy) when given the length.
    const HSTREAM handle =
        BASS_StreamCreateFile(TRUE, mp3.data(), 0, static_cast<DWORD>(mp3.size()), 0);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(BASS_StreamGetLength(handle), fixtures[0].spec.frames * 4);
    BASS_StreamFree(handle);
}

TEST_F(StreamTest, CreatingAgainFreesTheStreamHeld) {
    const std::string path = Write(fixtures[1]);
    ASSERT_EQ(stream.CreateFromFile(false, path.c_str(), 0, 0), 0);
    const DWORD first = stream.GetHandle();
    ASSERT_EQ(stream.CreateFromFile(false, path.c_str(), 0, 0), 0);
    EXPECT_NE(stream.GetHandle(), first);
    EXPECT_EQ(BASS_StreamCount(), 1);
    EXPECT_EQ(system.GetChannelPosition(first), 0xFFFFFFFFu);
    // A failed creation also lets go of the old stream.
    EXPECT_EQ(stream.CreateFromFile(false, folder.File("missing.mp3").c_str(), 0, 0), -11);
    EXPECT_EQ(BASS_StreamCount(), 0);
    stream.Free();
    stream.Free();
    EXPECT_EQ(stream.GetHandle(), 0u);
}

TEST_F(StreamTest, PlayWithoutAStreamGivesMinus12) {
    EXPECT_EQ(stream.Play(false), -12);
    EXPECT_EQ(stream.Play(true), -12);
}

TEST_F(StreamTest, PlayBeforeInitGivesMinus13) {
    ASSERT_EQ(stream.CreateFromFile(false, Write(fixtures[1]).c_str(), 0, 0), 0);
    EXPECT_EQ(stream.Play(false), -13);
    stream.Free();
}

TEST_F(StreamTest, QueriesOnABadHandleFail) {
    DWORD frequency = 0;
    EXPECT_EQ(system.GetChannelAttributes(0, &frequency, nullptr, nullptr), -14);
    EXPECT_EQ(system.GetChannelAttributes(0xBAD, nullptr, nullptr, nullptr), -14);
    EXPECT_EQ(system.GetChannelPosition(0xBAD), 0xFFFFFFFFu);
    EXPECT_EQ(system.GetChannelFlags(0xBAD), 0xFFFFFFFFu);
}
