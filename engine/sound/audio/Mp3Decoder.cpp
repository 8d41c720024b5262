#include "sound/audio/Mp3Decoder.h"

#include "platform/win32/Windows.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
// While opening: how far libmpg123 may search for a next frame after a bad one. The search for
// the very first frame is its own and passes over at most 65,535 bytes of other data after an
// ID3v2 tag; the resync limit does not shorten it.
constexpr long kResyncWithin = 4096;

constexpr std::size_t kSkipBlock = 4096; // sample frames decoded at a time to be dropped

// Whether any frame of the stream has another sample rate than `rate`. Reads the frames'
// headers without decoding them; the stream is then at its end.
bool RateChanges(mpg123_handle* h, long rate) {
    bool changes = false;
    mpg123_frameinfo info{};
    while (!changes) {
        const int status = mpg123_framebyframe_next(h);
        if (status != MPG123_OK && status != MPG123_NEW_FORMAT) {
            break;
        }
        changes = mpg123_info(h, &info) == MPG123_OK && info.rate != rate;
    }
    return changes;
}

} // namespace

void Mp3Decoder::HandleDeleter::operator()(mpg123_handle_struct* h) const {
    mpg123_delete(h);
}

// The bytes of a stream: a window of an open file, or a block in memory. Positions are
// relative to the window's start.
struct Mp3Decoder::Source {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::int64_t begin = 0;
    std::vector<std::uint8_t> bytes;
    std::int64_t size = 0;
    std::int64_t offset = 0;

    ~Source() {
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }

    std::size_t Read(void* out, std::size_t count) {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(count), size - offset));
        if (n == 0) {
            return 0;
        }
        if (file == INVALID_HANDLE_VALUE) {
            std::memcpy(out, bytes.data() + offset, n);
            offset += static_cast<std::int64_t>(n);
            return n;
        }
        LARGE_INTEGER at{begin + offset};
        DWORD got = 0;
        if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
            ReadFile(file, out, static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30)), &got,
                     nullptr); // a short read just delivers less
        }
        offset += got;
        return got;
    }

    std::int64_t Seek(std::int64_t distance, int whence) {
        const std::int64_t base = whence == SEEK_SET   ? 0
                                  : whence == SEEK_CUR ? offset
                                  : whence == SEEK_END ? size
                                                       : -1;
        if (base < 0 || distance < -base || distance > size - base) {
            return -1;
        }
        offset = base + distance;
        return offset;
    }
};

void Mp3Decoder::SourceDeleter::operator()(Source* s) const {
    delete s;
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::Open(std::vector<std::uint8_t> bytes, Options options,
                                             OpenError& error) {
    std::unique_ptr<Source, SourceDeleter> source(new Source);
    source->size = static_cast<std::int64_t>(bytes.size());
    source->bytes = std::move(bytes);
    return Start(std::move(source), options, error);
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::OpenFile(const char* path, std::uint64_t offset,
                                                 std::uint64_t length, Options options,
                                                 OpenError& error) {
    error = OpenError::file;
    std::unique_ptr<Source, SourceDeleter> source(new Source);
    source->file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    if (source->file == INVALID_HANDLE_VALUE || !GetFileSizeEx(source->file, &size)) {
        return nullptr;
    }
    const auto whole = static_cast<std::uint64_t>(size.QuadPart);
    const std::uint64_t from = std::min(offset, whole);
    const std::uint64_t rest = whole - from;
    source->begin = static_cast<std::int64_t>(from);
    source->size = static_cast<std::int64_t>(length == 0 ? rest : std::min(length, rest));
    return Start(std::move(source), options, error);
}

std::unique_ptr<Mp3Decoder> Mp3Decoder::Start(std::unique_ptr<Source, SourceDeleter> source,
                                              Options options, OpenError& error) {
    error = OpenError::format;
    static const bool libraryReady = mpg123_init() == MPG123_OK;
    if (!libraryReady || source->size == 0) {
        return nullptr;
    }

    std::unique_ptr<Mp3Decoder> d(new Mp3Decoder);
    d->source = std::move(source);

    int status = MPG123_OK;
    d->handle.reset(mpg123_new(nullptr, &status));
    if (!d->handle) {
        error = status == MPG123_OUT_OF_MEM ? OpenError::memory : OpenError::format;
        return nullptr;
    }
    mpg123_handle* h = d->handle.get();

    long flags = MPG123_GAPLESS | MPG123_QUIET;
    if (options.mono) {
        flags |= MPG123_MONO_MIX;
    }
    mpg123_param(h, MPG123_ADD_FLAGS, flags, 0.0);
    mpg123_param(h, MPG123_PREFRAMES, 8, 0.0);
    // The first frame must be near the start: anything else is not an MP3 file.
    mpg123_param(h, MPG123_RESYNC_LIMIT, kResyncWithin, 0.0);

    const int encoding = options.eightBit ? MPG123_ENC_UNSIGNED_8 : MPG123_ENC_SIGNED_16;
    const int layouts = options.mono ? MPG123_MONO : (MPG123_MONO | MPG123_STEREO);
    mpg123_format_none(h);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(h, rates[i], layouts, encoding);
    }

    auto read = [](void* io, void* out, size_t count) -> mpg123_ssize_t {
        return static_cast<mpg123_ssize_t>(static_cast<Source*>(io)->Read(out, count));
    };
    auto seek = [](void* io, off_t offset, int whence) -> off_t {
        return static_cast<off_t>(static_cast<Source*>(io)->Seek(offset, whence));
    };
    if (mpg123_replace_reader_handle(h, read, seek, nullptr) != MPG123_OK ||
        mpg123_open_handle(h, d->source.get()) != MPG123_OK) {
        return nullptr;
    }

    long rate = 0;
    int channels = 0;
    int actualEncoding = 0;
    if (mpg123_getformat(h, &rate, &channels, &actualEncoding) != MPG123_OK || rate <= 0 ||
        channels < 1 || channels > 2) {
        return nullptr;
    }
    // From here on damage is skipped, but libmpg123 searches on for at most 1 MiB of its reads
    // (a gap of 2 MiB of zeros is still crossed, one of 4 MiB is not): a longer gap ends the
    // stream (which then plays on in silence), so gigabytes of junk cannot stall start-up.
    mpg123_param(h, MPG123_RESYNC_LIMIT, 1 << 20, 0.0);
    // Hold the format for the whole stream: a change half-way would break byte positions.
    // Frames at another rate are then resampled to this one by libmpg123.
    mpg123_format_none(h);
    mpg123_format(h, rate, channels, actualEncoding);
    if (mpg123_scan(h) != MPG123_OK) {
        return nullptr;
    }
    const off_t length = mpg123_length(h);
    if (length <= 0) {
        return nullptr;
    }

    d->rate = static_cast<int>(rate);
    d->channels = channels;
    d->bytesPerSample = options.eightBit ? 1 : 2;
    d->length = static_cast<std::uint64_t>(length);
    // libmpg123 counts length and seek offsets in the file's own samples; once the rate
    // changes part-way those are not the resampled output's. Such a stream is decoded once
    // here to count its output, and seeks decode from the start.
    d->rateChanges = RateChanges(h, rate);
    if (!d->rateChanges) {
        if (mpg123_seek(h, 0, SEEK_SET) != 0) {
            return nullptr;
        }
    } else {
        if (!d->Restart()) {
            return nullptr;
        }
        d->length = d->Skip(UINT64_MAX);
        if (d->length == 0 || !d->Seek(0)) {
            return nullptr;
        }
    }
    error = OpenError::none;
    return d;
}

std::size_t Mp3Decoder::Read(void* out, std::size_t frames) {
    const std::size_t frameBytes = static_cast<std::size_t>(FrameBytes());
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t filled = 0;
    const std::size_t wanted = frames * frameBytes;
    while (filled < wanted) {
        size_t done = 0;
        const int status = mpg123_read(handle.get(), bytes + filled, wanted - filled, &done);
        filled += done;
        if (status == MPG123_NEW_FORMAT || (status == MPG123_OK && done > 0)) {
            continue;
        }
        break; // end of stream, or damage that libmpg123 could not resync past
    }
    const std::size_t got = filled / frameBytes;
    cursor += got;
    if (got < frames) {
        cursor = length;
    }
    return got;
}

bool Mp3Decoder::Restart() {
    mpg123_handle* h = handle.get();
    mpg123_close(h);
    source->Seek(0, SEEK_SET);
    cursor = 0;
    return mpg123_open_handle(h, source.get()) == MPG123_OK && mpg123_scan(h) == MPG123_OK;
}

std::uint64_t Mp3Decoder::Skip(std::uint64_t frames) {
    std::vector<std::uint8_t> scratch(kSkipBlock * static_cast<std::size_t>(FrameBytes()));
    std::uint64_t skipped = 0;
    while (skipped < frames) {
        const std::size_t got =
            Read(scratch.data(),
                 static_cast<std::size_t>(std::min<std::uint64_t>(kSkipBlock, frames - skipped)));
        if (got == 0) {
            break;
        }
        skipped += got;
    }
    return skipped;
}

bool Mp3Decoder::Seek(std::uint64_t frame) {
    if (frame > length) {
        return false;
    }
    if (rateChanges) {
        return Restart() && Skip(frame) == frame;
    }
    const off_t reached = mpg123_seek(handle.get(), static_cast<off_t>(frame), SEEK_SET);
    if (reached < 0) {
        return false;
    }
    cursor = static_cast<std::uint64_t>(reached);
    return cursor == frame;
}
